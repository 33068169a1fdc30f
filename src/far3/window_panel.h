// One open FAR 3 panel of windows. It holds no data: everything it works on is process-wide.
// Its address is the panel handle FAR keeps and passes back. Construction and destruction count
// the open panels (core/open_panels.h): the last close restores what Velumo hid.
#pragma once

#include "far3_plugin.h"

namespace far3 {

class WindowPanel {
  public:
    // With a command text (OPEN_COMMANDLINE), toggles the windows whose title contains it. The
    // user is told once how many of them could not be recorded and were left visible; so is F8.
    explicit WindowPanel(const WCHAR* commandText);
    // When this was the last open panel, shows again every window Velumo hid (only with
    // ShowAllWindowAtExit set).
    ~WindowPanel();

    // May close the panel: FAR has destroyed this object when it returns 1.
    intptr_t SetDirectory(const WCHAR* directory, OPERATION_MODES opMode);
    intptr_t DeleteFiles(const PluginPanelItem* items, size_t count);
    intptr_t ProcessInput(const INPUT_RECORD& input);
};

} // namespace far3
