// The FAR 3 panel items: one per listed window, built in time linear in the number of windows.
//   FileName            the whole title, UTF-16, exactly as Windows has it
//   Description         the full path of the program that owns the window
//   CustomColumnData    four texts: [0] the 4-character status, [1] the handle as 8 hex digits,
//                       [2] the program's file name, [3] its process id in decimal
//   CustomColumnNumber  4
//   UserData.Data       the window handle (FreeData null: nothing to free)
// Everything else is zero: no hidden or system attribute, which FAR would filter out. A process
// that cannot be asked shows "<pid N>" as its file name and path, never a blank or a guess.
//
// A listing's texts live in a few blocks of its own, not in blocks per item: its title, status
// and handle texts, and once per process the program's texts, which that process's items share.
// The program is read once per process in a listing.
#pragma once

#include "far3_plugin.h"

namespace far3 {

// The custom columns of an item, as the view modes name them (C0 to C3).
enum ItemColumn : size_t {
    kStatusColumn,
    kHandleColumn,
    kProgramColumn,
    kProcessIdColumn,
    kItemColumnCount
};

inline void* UserDataFromWindow(HWND window) {
    return reinterpret_cast<void*>(window);
}
inline HWND WindowFromUserData(const UserDataItem& userData) {
    return reinterpret_cast<HWND>(userData.Data);
}

// Lists the eligible windows in enumeration order into an array that grows geometrically,
// starting from the spare storage a listing given back left, if any. *items is null when the list
// is empty. A window whose item cannot be allocated is left out.
void BuildPanelItems(PluginPanelItem** items, size_t* count);

// Frees a list made by BuildPanelItems, keeping its array and text blocks as the spare for the
// next listing (the larger of them and the spare already kept); a null array frees nothing.
void FreePanelItems(PluginPanelItem* items, size_t count);

// Frees the spare storage: when the last panel has closed.
void ReleaseSpareItems();

} // namespace far3
