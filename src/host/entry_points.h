// The host's view of Velumo: the twelve exported functions, __stdcall in the 32-bit build (x64
// has one calling convention), under their plain names (Velumo.def). `item` of OpenPlugin is as
// wide as a pointer, as the 64-bit host passes it; the 32-bit host's int is the same width.
#pragma once

#include "../far_plugin.h"

#include <cstdint>

extern "C" {
void WINAPI SetStartupInfo(const PluginStartupInfo* info);
void WINAPI GetPluginInfo(PluginInfo* info);
HANDLE WINAPI OpenPlugin(int openFrom, intptr_t item);
void WINAPI ClosePlugin(HANDLE plugin);
int WINAPI GetFindData(HANDLE plugin, PluginPanelItem** items, int* count, int opMode);
void WINAPI FreeFindData(HANDLE plugin, PluginPanelItem* items, int count);
void WINAPI GetOpenPluginInfo(HANDLE plugin, OpenPluginInfo* info);
int WINAPI SetDirectory(HANDLE plugin, const char* directory, int opMode);
int WINAPI DeleteFiles(HANDLE plugin, PluginPanelItem* items, int count, int opMode);
int WINAPI ProcessKey(HANDLE plugin, int key, unsigned int controlState);
int WINAPI Configure(int itemNumber);
void WINAPI ExitFAR(void);
}
