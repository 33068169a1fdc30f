#include "config_dialog.h"

#include "../core/message_ids.h"
#include "../core/settings.h"
#include "far3_plugin.h"
#include "guids.h"
#include "host_services.h"
#include "settings_store.h"

#include <cstring>

namespace far3 {

namespace {

constexpr intptr_t kDialogWidth = 76;
constexpr intptr_t kDialogHeight = 12;
const WCHAR kHelpTopic[] = FAR3_TEXT("VelumoCfg");
constexpr FARDIALOGITEMFLAGS kSeparator = DIF_BOXCOLOR | DIF_SEPARATOR;

// One row of the dialog; a check box edits the setting it names.
struct ConfigRow {
    FARDIALOGITEMTYPES type;
    intptr_t x1, y1, x2, y2;
    FARDIALOGITEMFLAGS flags;
    int messageId; // -1: no text
    int32_t Settings::*setting;
};

constexpr int kRowCount = 10;
constexpr int kConfirmRow = 8;

const ConfigRow kRows[kRowCount] = {
    {DI_DOUBLEBOX, 3, 1, 72, 10, 0, kMsgConfigTitle, nullptr},
    {DI_CHECKBOX, 5, 2, 0, 0, DIF_FOCUS, kMsgAddToDisksMenu, &Settings::AddToDisksMenu},
    {DI_TEXT, 5, 3, 0, 0, kSeparator, -1, nullptr},
    {DI_CHECKBOX, 5, 4, 0, 0, 0, kMsgShowDesktopIcon, &Settings::ShowDesktopIcon},
    {DI_CHECKBOX, 5, 5, 0, 0, 0, kMsgShowOwnerWindow, &Settings::ShowOwnerWindow},
    {DI_CHECKBOX, 5, 6, 0, 0, 0, kMsgShowInvisibleWindow, &Settings::ShowInvisibleWindow},
    {DI_CHECKBOX, 5, 7, 0, 0, 0, kMsgShowAllWindowAtExit, &Settings::ShowAllWindowAtExit},
    {DI_TEXT, 5, 8, 0, 0, kSeparator, -1, nullptr},
    {DI_BUTTON, 0, 9, 0, 0, DIF_CENTERGROUP | DIF_DEFAULTBUTTON, kMsgOk, nullptr},
    {DI_BUTTON, 0, 9, 0, 0, DIF_CENTERGROUP, kMsgCancel, nullptr},
};

void ExpandRows(FarDialogItem (&items)[kRowCount]) {
    static const WCHAR kNoText[] = {0};
    memset(items, 0, sizeof(items));
    for (int i = 0; i < kRowCount; ++i) {
        const ConfigRow& row = kRows[i];
        FarDialogItem& item = items[i];
        item.Type = row.type;
        item.X1 = row.x1;
        item.Y1 = row.y1;
        item.X2 = row.x2;
        item.Y2 = row.y2;
        item.Flags = row.flags;
        item.Data = row.messageId >= 0 ? HostMessage(row.messageId) : kNoText;
        if (row.setting != nullptr) {
            item.Selected = g_settings.*row.setting != 0 ? BSTATE_CHECKED : BSTATE_UNCHECKED;
        }
    }
}

// Takes the check boxes back. A box left as it was shown keeps the stored value as it is (a
// truth value of 5 stays 5); a changed one becomes 1 or 0.
void TakeBackChecks(HANDLE dialog) {
    for (int i = 0; i < kRowCount; ++i) {
        const ConfigRow& row = kRows[i];
        if (row.setting == nullptr) {
            continue;
        }
        bool checked =
            HostServices.SendDlgMessage(dialog, DM_GETCHECK, i, nullptr) == BSTATE_CHECKED;
        bool wasChecked = g_settings.*row.setting != 0;
        if (checked != wasChecked) {
            g_settings.*row.setting = checked ? 1 : 0;
        }
    }
}

} // namespace

int RunConfigDialog() {
    if (HostServices.DialogInit == nullptr || HostServices.DialogRun == nullptr ||
        HostServices.DialogFree == nullptr || HostServices.SendDlgMessage == nullptr) {
        return 0;
    }
    FarDialogItem items[kRowCount];
    ExpandRows(items);
    HANDLE dialog = HostServices.DialogInit(&kPluginGuid, &kConfigDialogGuid, -1, -1, kDialogWidth,
                                            kDialogHeight, kHelpTopic, items, kRowCount, 0, 0,
                                            nullptr, nullptr);
    if (dialog == INVALID_HANDLE_VALUE || dialog == nullptr) {
        return 0;
    }
    // Enter on a check box ends the dialog on the default button, which is OK.
    bool confirmed = HostServices.DialogRun(dialog) == kConfirmRow;
    if (confirmed) {
        TakeBackChecks(dialog);
    }
    HostServices.DialogFree(dialog);
    if (!confirmed) {
        return 0;
    }
    SaveFarSettings();
    return 1;
}

} // namespace far3
