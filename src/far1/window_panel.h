// One open window panel. It holds no data: everything it works on is process-wide. Its address
// is the plug-in handle that the host keeps and passes back. Construction and destruction count
// the open panels (core/open_panels.h): the last close restores what Velumo hid.
#pragma once

#include "far1_plugin.h"

#include <cstdint>

namespace far1 {

class WindowPanel {
  public:
    // From the command line (OPEN_COMMANDLINE) with a text, toggles the windows whose title
    // contains it first; `item` is then the address of that text and is not read otherwise.
    WindowPanel(int openFrom, intptr_t item);
    // When this was the last open panel, shows again every window Velumo hid (only with
    // ShowAllWindowAtExit set).
    ~WindowPanel();

    int SetDirectory(const char* directory, int opMode);
    int DeleteFiles(PluginPanelItem* items, int count);
    int ProcessKey(int key, unsigned int controlState);
};

} // namespace far1
