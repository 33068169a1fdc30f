#include "window_panel.h"

#include "../core/open_panels.h"
#include "../core/panel_description.h"
#include "../core/visibility_actions.h"
#include "host_services.h"
#include "panel_items.h"

#include <cstdlib>
#include <cstring>

namespace far3 {

namespace {

constexpr DWORD kModifierKeys =
    RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED | RIGHT_CTRL_PRESSED | LEFT_CTRL_PRESSED | SHIFT_PRESSED;
constexpr DWORD kAltKeys = RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED;

// F3, or Alt+F3 with either Alt key, and no other modifier.
bool IsActivationKey(const INPUT_RECORD& input) {
    if (input.EventType != KEY_EVENT || !input.Event.KeyEvent.bKeyDown ||
        input.Event.KeyEvent.wVirtualKeyCode != VK_F3) {
        return false;
    }
    DWORD modifiers = input.Event.KeyEvent.dwControlKeyState & kModifierKeys;
    return (modifiers & ~kAltKeys) == 0;
}

// The window of the first selected item, or of the item under the cursor when none is selected;
// null on "..", in an empty panel, or when FAR cannot tell.
HWND FirstSelectedWindow(HANDLE panel) {
    PanelInfo info;
    memset(&info, 0, sizeof(info));
    info.StructSize = sizeof(info);
    if (!SendPanelControl(panel, FCTL_GETPANELINFO, 0, &info) || info.SelectedItemsNumber == 0) {
        return nullptr;
    }
    // FAR says how large the item with its texts is, then fills a buffer of that size.
    intptr_t size = SendPanelControl(panel, FCTL_GETSELECTEDPANELITEM, 0, nullptr);
    if (size < static_cast<intptr_t>(sizeof(PluginPanelItem))) {
        return nullptr;
    }
    PluginPanelItem* item = static_cast<PluginPanelItem*>(malloc(static_cast<size_t>(size)));
    if (item == nullptr) {
        return nullptr;
    }
    FarGetPluginPanelItem request;
    memset(&request, 0, sizeof(request));
    request.StructSize = sizeof(request);
    request.Size = static_cast<size_t>(size);
    request.Item = item;
    HWND window = nullptr;
    if (SendPanelControl(panel, FCTL_GETSELECTEDPANELITEM, 0, &request) >= size) {
        window = WindowFromUserData(item->UserData);
    }
    free(item);
    return window;
}

} // namespace

WindowPanel::WindowPanel(const WCHAR* commandText) {
    NotePanelOpened();
    if (commandText != nullptr && commandText[0] != 0) {
        const int leftVisible = ToggleWindowsByTitle(commandText);
        if (leftVisible > 0) {
            TellWindowsLeftVisible(leftVisible);
        }
    }
}

WindowPanel::~WindowPanel() {
    if (NotePanelClosed()) {
        ReleaseSpareItems();
    }
}

intptr_t WindowPanel::SetDirectory(const WCHAR* directory, OPERATION_MODES opMode) {
    const DirectoryChange change = DecideDirectoryChange(directory, (opMode & OPM_FIND) != 0);
    if (change == DirectoryChange::Stay) {
        return 0;
    }
    // FAR goes to a directory relative to the folder the panel showed before Velumo opened; with
    // no directory the file panel comes back in that very folder. The close is synchronous (this
    // object is gone when it returns), so nothing of it is touched afterwards.
    const WCHAR* target = change == DirectoryChange::LeaveInPlace ? nullptr : directory;
    SendPanelControl(this, FCTL_CLOSEPANEL, 0, const_cast<WCHAR*>(target));
    return 1;
}

intptr_t WindowPanel::DeleteFiles(const PluginPanelItem* items, size_t count) {
    int leftVisible = 0;
    for (size_t i = 0; i < count; ++i) {
        leftVisible += ToggleWindow(WindowFromUserData(items[i].UserData)) ? 0 : 1;
    }
    if (leftVisible > 0) {
        TellWindowsLeftVisible(leftVisible);
    }
    return 1;
}

intptr_t WindowPanel::ProcessInput(const INPUT_RECORD& input) {
    if (!IsActivationKey(input)) {
        return 0;
    }
    HWND window = FirstSelectedWindow(this);
    if (window != nullptr) {
        ActivateWindow(window);
    }
    // Param1 1: FAR keeps the user's selection (0 would clear it).
    SendPanelControl(this, FCTL_UPDATEPANEL, 1, nullptr);
    SendPanelControl(this, FCTL_REDRAWPANEL, 0, nullptr);
    return 1;
}

} // namespace far3
