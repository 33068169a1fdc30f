// FAR 3's view of Velumo: the thirteen exported functions, each taking one record, __stdcall in
// the 32-bit build (x64 has one calling convention), under their plain names (Velumo.def).
//
// What the plug-in implements, as the FAR 1.x plug-in does but in FAR 3's own terms:
//   - a panel of the desktop's top-level windows (every title exactly as Windows has it, in
//     UTF-16; a four-character status; the handle in hex) in three view modes, with "..", from
//     the plug-ins and disks menus, each menu item with its own GUID;
//   - F8 toggles the items FAR hands over, F3 and Alt+F3 bring the first selected one forward;
//   - "hide:<text>" toggles every listed window whose title holds the UTF-16 text, then opens
//     the panel;
//   - the windows it hid come back when the last open panel closes (ShowAllWindowAtExit);
//     ".." closes the panel and leaves the file panel where it was;
//   - its settings in FAR's own settings store, edited in a dialog, taken over once from the
//     FAR 1.x plug-in's registry key.
// Nothing escapes an entry point: nothing below them throws (allocations are nothrow or malloc),
// and a null record, or one smaller than Velumo's, is left alone.
#pragma once

#include "far3_plugin.h"

extern "C" {
void WINAPI GetGlobalInfoW(far3::GlobalInfo* info);
void WINAPI SetStartupInfoW(const far3::PluginStartupInfo* info);
void WINAPI GetPluginInfoW(far3::PluginInfo* info);
HANDLE WINAPI OpenW(const far3::OpenInfo* info);
void WINAPI ClosePanelW(const far3::ClosePanelInfo* info);
intptr_t WINAPI GetFindDataW(far3::GetFindDataInfo* info);
void WINAPI FreeFindDataW(const far3::FreeFindDataInfo* info);
void WINAPI GetOpenPanelInfoW(far3::OpenPanelInfo* info);
intptr_t WINAPI SetDirectoryW(const far3::SetDirectoryInfo* info);
intptr_t WINAPI DeleteFilesW(const far3::DeleteFilesInfo* info);
intptr_t WINAPI ProcessPanelInputW(const far3::ProcessPanelInputInfo* info);
intptr_t WINAPI ConfigureW(const far3::ConfigureInfo* info);
void WINAPI ExitFARW(const far3::ExitInfo* info);
}
