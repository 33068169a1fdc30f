// The host's view of Velumo: the twelve exported functions, __stdcall in the 32-bit build (x64
// has one calling convention), under their plain names (Velumo.def). `item` of OpenPlugin is as
// wide as a pointer, as the 64-bit host passes it; the 32-bit host's int is the same width.
//
// What the plug-in implements:
//   - a panel of the desktop's top-level windows (title in the OEM code page, a four-character
//     status, the handle in hex) in three view modes, from the plug-ins and disks menus;
//   - F8 toggles the selected windows, F3 and Alt+F3 bring the first selected one forward;
//   - "hide:<text>" toggles every listed window whose title holds the text (OEM text
//     converted to ANSI first), then opens the panel;
//   - the windows it hid come back when the last open panel closes (ShowAllWindowAtExit);
//     ".." closes the panel and leaves the file panel where it was;
//   - its settings in the registry below the host's root key, edited in a dialog.
//
// Behaviours kept on purpose, each pinned by a test:
//   - a window recorded twice (hidden, shown by other means, hidden again) takes two slots
//     of the twenty:
//     HiddenWindowTableTest.HandleAddedTwiceFillsTwoSlotsAndRemoveClearsTheLowerOnly,
//     VisibilityActionsTest.WindowRecordedTwiceIsRestoredOnceAndKeepsOneEntry;
//   - the title match reads at most 254 characters of a title:
//     VisibilityActionsTest.ToggleByTitleReadsAtMost254CharactersOfTheTitle, and under Wine
//     Actions.CommandLineMatchesTheFirst254AnsiBytesOfTheTitle;
//   - a registry value shorter than four bytes fills only the low bytes of the default:
//     SettingsStore.AShortValueFillsOnlyTheLowBytesOfTheDefault, and under Wine
//     Settings.ValuesOfOddTypesAndSizesLoadAsRawBytesOrDefaults;
//   - the window list grows by one element a window, so a failed growth leaves out that one
//     window: WindowListTest.FailedGrowthLeavesThatWindowOutAndKeepsTheRest.
#pragma once

#include "far1_plugin.h"

#include <cstdint>

extern "C" {
void WINAPI SetStartupInfo(const far1::PluginStartupInfo* info);
void WINAPI GetPluginInfo(far1::PluginInfo* info);
HANDLE WINAPI OpenPlugin(int openFrom, intptr_t item);
void WINAPI ClosePlugin(HANDLE plugin);
int WINAPI GetFindData(HANDLE plugin, far1::PluginPanelItem** items, int* count, int opMode);
void WINAPI FreeFindData(HANDLE plugin, far1::PluginPanelItem* items, int count);
void WINAPI GetOpenPluginInfo(HANDLE plugin, far1::OpenPluginInfo* info);
int WINAPI SetDirectory(HANDLE plugin, const char* directory, int opMode);
int WINAPI DeleteFiles(HANDLE plugin, far1::PluginPanelItem* items, int count, int opMode);
int WINAPI ProcessKey(HANDLE plugin, int key, unsigned int controlState);
int WINAPI Configure(int itemNumber);
void WINAPI ExitFAR(void);
}
