#include "window_panel.h"

#include "../core/open_panels.h"
#include "../core/panel_description.h"
#include "../core/visibility_actions.h"
#include "host_services.h"
#include "panel_items.h"

#include <cstring>

namespace far1 {

WindowPanel::WindowPanel(int openFrom, intptr_t item) {
    NotePanelOpened();
    if (openFrom != OPEN_COMMANDLINE) {
        return;
    }
    const char* command = reinterpret_cast<const char*>(item);
    if (command != nullptr && command[0] != '\0') {
        ToggleWindowsByOemText(command);
    }
}

WindowPanel::~WindowPanel() {
    NotePanelClosed();
}

int WindowPanel::SetDirectory(const char* directory, int opMode) {
    const DirectoryChange change = DecideDirectoryChange(directory, (opMode & OPM_FIND) != 0);
    if (change == DirectoryChange::Stay) {
        return 0;
    }
    // FAR goes to a directory relative to the folder the panel showed before Velumo opened;
    // with no directory the file panel comes back in that very folder.
    char* target = change == DirectoryChange::LeaveInPlace ? nullptr : const_cast<char*>(directory);
    SendPanelControl(this, FCTL_CLOSEPLUGIN, target);
    return 1;
}

int WindowPanel::DeleteFiles(PluginPanelItem* items, int count) {
    for (int i = 0; i < count; ++i) {
        ToggleWindow(WindowFromUserData(items[i].UserData));
    }
    return 1;
}

int WindowPanel::ProcessKey(int key, unsigned int controlState) {
    if ((controlState != 0 && controlState != PKF_ALT) || key != VK_F3) {
        return 0;
    }
    PanelInfo info;
    memset(&info, 0, sizeof(info));
    // A host that fails the request leaves the record unfilled: then nothing is activated.
    if (SendPanelControl(this, FCTL_GETPANELINFO, &info) && info.SelectedItemsNumber > 0 &&
        info.SelectedItems != nullptr) {
        ActivateWindow(WindowFromUserData(info.SelectedItems[0].UserData));
    }
    SendPanelControl(this, FCTL_UPDATEPANEL, nullptr);
    SendPanelControl(this, FCTL_REDRAWPANEL, nullptr);
    return 1;
}

} // namespace far1
