// Which top-level windows are offered, and the list of them that the host shows as its panel.
//
// A listed window (a "window entry") is the host's panel item itself, so the list can be
// handed to the host as it is:
//   FindData.cFileName  the title in the OEM code page, at most 127 characters
//   CustomColumnData    two texts: [0] the 4-character status, [1] the handle as 8 hex digits
//   CustomColumnNumber  2
//   UserData            the window handle
// Everything else in the item is zero.
#pragma once

#include "../far_plugin.h"
#include "../win32.h"

#include <cstdint>

constexpr int kListedTitleCapacity = 128; // bytes read for a listed title, terminator included
constexpr int kStatusTextSize = 5;        // four marks and the terminator
constexpr int kHandleTextSize = 9;        // eight hexadecimal digits and the terminator

// The item's UserData is as wide as a pointer in the host's record, so it carries the whole
// handle in either build.
inline uintptr_t UserDataFromWindow(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}
inline HWND WindowFromUserData(uintptr_t userData) {
    return reinterpret_cast<HWND>(userData);
}

// 1 when the window is to be offered under the current settings, or is one Velumo hid.
int IsEligibleWindow(HWND window);

// Lists the eligible windows in enumeration order. Always returns 1; *items is null when the
// list is empty. A window whose entry cannot be allocated is left out.
int BuildWindowList(PluginPanelItem** items, int* count);

// Frees a list made by BuildWindowList. A null array is accepted and frees nothing.
void FreeWindowList(PluginPanelItem* items, int count);
