// The FAR 1.x face of the window catalogue: the panel items the host shows, and the
// command-line toggle with the host's OEM text.
//
// A listed window is the host's panel item itself, so the list is handed to the host as it is:
//   FindData.cFileName  the title in the OEM code page, at most 127 characters
//   CustomColumnData    two texts: [0] the 4-character status, [1] the handle as 8 hex digits
//   CustomColumnNumber  2
//   UserData            the window handle
// Everything else in the item is zero.
#pragma once

#include "../core/window_catalogue.h"
#include "far1_plugin.h"

#include <cstdint>

namespace far1 {

// A title read for a panel item: at most kListedTitleCapacity - 1 characters.
constexpr int kListedTitleCapacity = 128;

// The item's UserData is as wide as a pointer in the host's record, so it carries the whole
// handle in either build.
inline uintptr_t UserDataFromWindow(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}
inline HWND WindowFromUserData(uintptr_t userData) {
    return reinterpret_cast<HWND>(userData);
}

// Lists the eligible windows in enumeration order, growing the array by one item per window.
// Always returns 1; *items is null when the list is empty. A window whose item cannot be
// allocated is left out.
int BuildWindowList(PluginPanelItem** items, int* count);

// Frees a list made by BuildWindowList. A null array is accepted and frees nothing.
void FreeWindowList(PluginPanelItem* items, int count);

// Toggles every eligible window whose ANSI title contains the text. The host hands the text over
// in the OEM code page; it is converted to the ANSI one first. An empty or null text does
// nothing, and so does one longer than any title read can be.
void ToggleWindowsByOemText(const char* oemText);

} // namespace far1
