// The operations that change windows. The hidden-window table is kept in step with what
// Velumo did: a window is recorded before it is hidden and un-recorded when RestoreWindow
// shows it. None of them reports a failure; a dead handle is harmless to all of them.
#pragma once

#include "../win32.h"

// Hides a visible window after recording it; a full table leaves it visible and unrecorded.
void HideWindow(HWND window);
// Shows, brings forward and un-records an invisible window; a visible one is left alone.
void RestoreWindow(HWND window);
// Hides the window when it is visible at this moment, restores it otherwise.
void ToggleWindow(HWND window);
// Shows the window and brings it to the front; the table is not touched.
void ActivateWindow(HWND window);
// Restores every top-level window that the table records.
void RestoreAllWindows();
// Toggles every eligible window whose title (ANSI, unconverted) contains the text,
// case-sensitively; the text comes in the OEM code page, as the host passes it, and is
// converted to the ANSI one first. An empty or null text does nothing.
void ToggleWindowsByTitle(const char* text);
