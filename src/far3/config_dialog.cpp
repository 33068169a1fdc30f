#include "config_dialog.h"

#include "../core/message_ids.h"
#include "../core/settings.h"
#include "../core/settings_dialog.h"
#include "far3_plugin.h"
#include "guids.h"
#include "host_services.h"
#include "settings_store.h"

#include <cstring>

namespace far3 {

namespace {

const WCHAR kHelpTopic[] = FAR3_TEXT("VelumoCfg");
constexpr FARDIALOGITEMFLAGS kSeparator = DIF_BOXCOLOR | DIF_SEPARATOR;
const DialogLayout& kLayout = kFar3ConfigDialog;

// The FAR item a row becomes, by the row's role (in DialogRowRole's order). FAR 3 has no digit
// setting: a digit field shows no number.
struct ItemKind {
    FARDIALOGITEMTYPES Type;
    FARDIALOGITEMFLAGS Flags;
};
constexpr ItemKind kItemKinds[] = {
    {DI_DOUBLEBOX, 0},                                // Frame
    {DI_CHECKBOX, 0},                                 // CheckBox
    {DI_FIXEDIT, 0},                                  // DigitField
    {DI_TEXT, 0},                                     // DigitLabel
    {DI_TEXT, kSeparator},                            // Separator
    {DI_BUTTON, DIF_CENTERGROUP | DIF_DEFAULTBUTTON}, // OkButton
    {DI_BUTTON, DIF_CENTERGROUP},                     // CancelButton
};
static_assert(sizeof(kItemKinds) / sizeof(kItemKinds[0]) ==
                  static_cast<size_t>(DialogRowRole::CancelButton) + 1,
              "an item kind for every row role");

bool IsChecked(int32_t value) {
    return value != 0;
}

void ExpandRows(FarDialogItem (&items)[kMaxDialogRows]) {
    static const WCHAR kNoText[] = {0};
    memset(items, 0, sizeof(items));
    for (int i = 0; i < kLayout.Count; ++i) {
        const DialogRow& row = kLayout.Rows[i];
        FarDialogItem& item = items[i];
        item.X1 = row.X1;
        item.Y1 = row.Y1;
        item.X2 = row.X2;
        item.Y2 = row.Y2;
        const ItemKind& kind = kItemKinds[static_cast<size_t>(row.Role)];
        item.Type = kind.Type;
        item.Flags = (row.Focus ? DIF_FOCUS : 0) | kind.Flags;
        item.Data = row.Label >= 0 ? HostMessage(row.Label) : kNoText;
        if (row.Role == DialogRowRole::CheckBox) {
            item.Selected = IsChecked(g_settings.*kSettingFields[row.Setting].Field)
                                ? BSTATE_CHECKED
                                : BSTATE_UNCHECKED;
        }
    }
}

// Takes the check boxes back. A box left as it was shown keeps the stored value as it is (a
// truth value of 5 stays 5); a changed one becomes 1 or 0.
void TakeBackChecks(HANDLE dialog) {
    for (int i = 0; i < kLayout.Count; ++i) {
        const DialogRow& row = kLayout.Rows[i];
        if (row.Role != DialogRowRole::CheckBox) {
            continue;
        }
        int32_t& value = g_settings.*kSettingFields[row.Setting].Field;
        bool checked =
            HostServices.SendDlgMessage(dialog, DM_GETCHECK, i, nullptr) == BSTATE_CHECKED;
        if (checked != IsChecked(value)) {
            value = checked ? 1 : 0;
        }
    }
}

} // namespace

int RunConfigDialog() {
    if (HostServices.DialogInit == nullptr || HostServices.DialogRun == nullptr ||
        HostServices.DialogFree == nullptr || HostServices.SendDlgMessage == nullptr) {
        return 0;
    }
    FarDialogItem items[kMaxDialogRows];
    ExpandRows(items);
    HANDLE dialog = HostServices.DialogInit(&kPluginGuid, &kConfigDialogGuid, -1, -1, kLayout.Width,
                                            kLayout.Height, kHelpTopic, items, kLayout.Count, 0, 0,
                                            nullptr, nullptr);
    if (dialog == INVALID_HANDLE_VALUE || dialog == nullptr) {
        return 0;
    }
    // Enter on a check box ends the dialog on the default button, which is OK.
    bool confirmed = HostServices.DialogRun(dialog) == kLayout.OkRow;
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
