// One open FAR 3 panel of windows. It holds no data: everything it works on is process-wide.
// Its address is the panel handle FAR keeps and passes back.
//
// FAR opens the next instance before it closes the one a panel held (a "hide:" command typed
// in a Velumo panel), so the windows Velumo hid come back when the last open panel closes, not
// at every close.
#pragma once

#include "far3_plugin.h"

namespace far3 {

class WindowPanel {
  public:
    // With a command text (OPEN_COMMANDLINE), toggles the windows whose title contains it.
    explicit WindowPanel(const WCHAR* commandText);
    // When this was the last open panel, shows again every window Velumo hid (only with
    // ShowAllWindowAtExit set).
    ~WindowPanel();

    void GetFindData(PluginPanelItem** items, size_t* count);
    void FreeFindData(PluginPanelItem* items, size_t count);
    void GetOpenPanelInfo(OpenPanelInfo* info);
    // May close the panel: FAR has destroyed this object when it returns 1.
    intptr_t SetDirectory(const WCHAR* directory, OPERATION_MODES opMode);
    intptr_t DeleteFiles(const PluginPanelItem* items, size_t count);
    intptr_t ProcessInput(const INPUT_RECORD& input);
};

// How many WindowPanel objects exist; zero-initialised static storage.
extern int g_openPanelCount;

} // namespace far3
