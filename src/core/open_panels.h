// How many of Velumo's panels are open. The host may hold several at once, and FAR opens the
// next instance before it closes the one a panel held (a "hide:" command typed in a Velumo
// panel), so the windows Velumo hid come back when the last open panel closes, not at every
// close.
#pragma once

// Counts a panel that now exists and takes in the windows of Velumos that ended.
void NotePanelOpened();
// Counts a panel gone; when it was the last one, shows again every window Velumo hid (only with
// ShowAllWindowAtExit set) and gives true.
bool NotePanelClosed();

// The count itself: zero-initialised static storage, process-wide like the hidden-window table.
extern int g_openPanelCount;
