// The operations that change windows. The hidden-window table and the durable record are kept in
// step with what Velumo did: a window is recorded in both before it is hidden, un-recorded from
// the table when RestoreWindow shows it, and from the durable record whenever it is seen visible
// again. None of them reports a failure; a dead handle is harmless to all of them.
#pragma once

#include "../win32.h"

// Hides a visible window after recording it; a table that cannot record it leaves it visible
// and unrecorded, and only then is the answer false.
bool HideWindow(HWND window);
// Shows, brings forward and un-records an invisible window; a visible one is left alone.
void RestoreWindow(HWND window);
// Hides the window when it is visible at this moment, restores it otherwise; false when it was
// to be hidden and is left visible.
bool ToggleWindow(HWND window);
// Shows the window and brings it to the front; the table is not touched, the durable record's
// entry goes.
void ActivateWindow(HWND window);
// Takes in the windows of Velumos that ended (AdoptOrphanedWindows), then restores every
// top-level window that the table records.
void RestoreAllWindows();

// Toggles every eligible window whose title contains the text as a run of identical code
// units, case-sensitively. Written once for both front ends' character types:
//   char   the ANSI title as GetWindowTextA reads it, at most kTitleReadCapacity - 2
//          characters (a longer text can match none and toggles nothing);
//   WCHAR  the whole UTF-16 title as GetWindowTextW reads it.
// The text is in the titles' own code page: a front end converts its host's text first. An
// empty or null text does nothing. Gives the number of windows it was to hide and left visible.
template <typename Char> int ToggleWindowsByTitle(const Char* text);

extern template int ToggleWindowsByTitle<char>(const char* text);
extern template int ToggleWindowsByTitle<WCHAR>(const WCHAR* text);
