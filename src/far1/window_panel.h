// One open window panel. It holds no data: everything it works on is process-wide. Its address
// is the plug-in handle that the host keeps and passes back.
//
// The host may hold several panels at once, and FAR opens the next instance before it closes
// the one a panel held (a "hide:" command typed in a Velumo panel), so the windows Velumo hid
// come back when the last open panel closes, not at every close.
#pragma once

#include "far_plugin.h"

#include <cstdint>

class WindowPanel {
  public:
    // From the command line (OPEN_COMMANDLINE) with a text, toggles the windows whose title
    // contains it first; `item` is then the address of that text and is not read otherwise.
    WindowPanel(int openFrom, intptr_t item);
    // When this was the last open panel, shows again every window Velumo hid (only with
    // ShowAllWindowAtExit set).
    ~WindowPanel();

    int GetFindData(PluginPanelItem** items, int* count);
    void FreeFindData(PluginPanelItem* items, int count);
    void GetOpenPluginInfo(OpenPluginInfo* info);
    int SetDirectory(const char* directory, int opMode);
    int DeleteFiles(PluginPanelItem* items, int count);
    int ProcessKey(int key, unsigned int controlState);
};

// How many WindowPanel objects exist: counted up by each construction and down by each
// destruction, so a panel that could not be allocated never counts. Process-wide, like the
// hidden-window table; zero-initialised static storage.
extern int g_openPanelCount;
