// The FAR 3 panel items: one per listed window, built in time linear in the number of windows.
//   FileName            the whole title, UTF-16, exactly as Windows has it
//   CustomColumnData    two texts: [0] the 4-character status, [1] the handle as 8 hex digits
//   CustomColumnNumber  2
//   UserData.Data       the window handle (FreeData null: nothing to free)
// Everything else is zero: no hidden or system attribute, which FAR would filter out.
#pragma once

#include "far3_plugin.h"

namespace far3 {

inline void* UserDataFromWindow(HWND window) {
    return reinterpret_cast<void*>(window);
}
inline HWND WindowFromUserData(const UserDataItem& userData) {
    return reinterpret_cast<HWND>(userData.Data);
}

// Lists the eligible windows in enumeration order into an array that grows geometrically,
// starting from the spare array a listing given back left, if any. *items is null when the list
// is empty. A window whose item cannot be allocated is left out.
void BuildPanelItems(PluginPanelItem** items, size_t* count);

// Frees the items of a list made by BuildPanelItems and keeps its array as the spare for the
// next listing (the larger of it and the spare already kept); a null array frees nothing.
void FreePanelItems(PluginPanelItem* items, size_t count);

// Frees the spare array: when the last panel has closed.
void ReleaseSpareItems();

} // namespace far3
