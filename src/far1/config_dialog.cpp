#include "config_dialog.h"

#include "../core/message_ids.h"
#include "../core/settings.h"
#include "../core/registry_settings.h"
#include "host_services.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace far1 {

namespace {

constexpr int kDialogWidth = 76;
constexpr int kDialogHeight = 13;
constexpr char kHelpTopic[] = "VelumoCfg";
constexpr uint32_t kSeparator = DIF_BOXCOLOR | DIF_SEPARATOR;

// What a row of the dialog does with the settings.
enum class RowRole {
    Label,   // frame, caption, separator, cancel button: nothing to put in or take back
    Check,   // a check box showing a truth-value setting
    Number,  // the one-column edit field of a number setting, empty for 0
    Confirm, // the button whose closing saves
};

struct ConfigRow {
    DialogItemTemplate item;
    RowRole role;
    int32_t Settings::*setting; // the field a Check or Number row edits; null otherwise
};

void CopyCaption(char (&field)[sizeof(FarDialogItem::Data)], const char* text) {
    snprintf(field, sizeof(field), "%s", text != nullptr ? text : "");
}

} // namespace

void ExpandDialogItems(const DialogItemTemplate* templates, FarDialogItem* items, int count) {
    for (int i = 0; i < count; ++i) {
        const DialogItemTemplate& from = templates[i];
        FarDialogItem& to = items[i];
        to.Type = from.Type;
        to.X1 = from.X1;
        to.Y1 = from.Y1;
        to.X2 = from.X2;
        to.Y2 = from.Y2;
        to.Focus = from.Focus;
        to.Selected = from.Selected;
        to.Flags = from.Flags;
        to.DefaultButton = from.DefaultButton;
        if (from.Data < kFirstTextAddress) {
            CopyCaption(to.Data, HostMessage(static_cast<int>(from.Data)));
        } else {
            CopyCaption(to.Data, reinterpret_cast<const char*>(from.Data));
        }
    }
}

int32_t ParseLeadingNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    int64_t magnitude = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) {
            magnitude = limit; // saturate; keep consuming digits without growing further
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int RunConfigDialog() {
    const uintptr_t empty = reinterpret_cast<uintptr_t>("");
    const ConfigRow rows[kConfigDialogItemCount] = {
        {{DI_DOUBLEBOX, 3, 1, 72, 11, 0, 0, 0, 0, kMsgConfigTitle}, RowRole::Label, nullptr},
        {{DI_CHECKBOX, 5, 2, 0, 0, 0, 0, 0, 0, kMsgAddToDisksMenu},
         RowRole::Check,
         &Settings::AddToDisksMenu},
        {{DI_FIXEDIT, 7, 3, 7, 3, 1, 0, 0, 0, empty}, RowRole::Number, &Settings::DisksMenuDigit},
        {{DI_TEXT, 9, 3, 0, 0, 0, 0, 0, 0, kMsgDisksMenuDigit}, RowRole::Label, nullptr},
        {{DI_TEXT, 5, 4, 0, 0, 0, 0, kSeparator, 0, empty}, RowRole::Label, nullptr},
        {{DI_CHECKBOX, 5, 5, 0, 0, 0, 0, 0, 0, kMsgShowDesktopIcon},
         RowRole::Check,
         &Settings::ShowDesktopIcon},
        {{DI_CHECKBOX, 5, 6, 0, 0, 0, 0, 0, 0, kMsgShowOwnerWindow},
         RowRole::Check,
         &Settings::ShowOwnerWindow},
        {{DI_CHECKBOX, 5, 7, 0, 0, 0, 0, 0, 0, kMsgShowInvisibleWindow},
         RowRole::Check,
         &Settings::ShowInvisibleWindow},
        {{DI_CHECKBOX, 5, 8, 0, 0, 0, 0, 0, 0, kMsgShowAllWindowAtExit},
         RowRole::Check,
         &Settings::ShowAllWindowAtExit},
        {{DI_TEXT, 5, 9, 0, 0, 0, 0, kSeparator, 0, empty}, RowRole::Label, nullptr},
        {{DI_BUTTON, 0, 10, 0, 0, 0, 0, DIF_CENTERGROUP, 1, kMsgOk}, RowRole::Confirm, nullptr},
        {{DI_BUTTON, 0, 10, 0, 0, 0, 0, DIF_CENTERGROUP, 0, kMsgCancel}, RowRole::Label, nullptr},
    };
    DialogItemTemplate templates[kConfigDialogItemCount];
    for (int i = 0; i < kConfigDialogItemCount; ++i) {
        templates[i] = rows[i].item;
    }
    FarDialogItem items[kConfigDialogItemCount];
    ExpandDialogItems(templates, items, kConfigDialogItemCount);

    // The values are put in as they are, without reduction to 0 and 1.
    for (int i = 0; i < kConfigDialogItemCount; ++i) {
        const ConfigRow& row = rows[i];
        if (row.role == RowRole::Check) {
            items[i].Selected = g_settings.*row.setting;
        } else if (row.role == RowRole::Number && g_settings.*row.setting != 0) {
            snprintf(items[i].Data, sizeof(items[i].Data), "%d",
                     static_cast<int>(g_settings.*row.setting));
        }
    }

    int closedBy = RunHostDialog(-1, -1, kDialogWidth, kDialogHeight, kHelpTopic, items,
                                 kConfigDialogItemCount);
    if (closedBy < 0 || closedBy >= kConfigDialogItemCount ||
        rows[closedBy].role != RowRole::Confirm) {
        return 0;
    }

    for (int i = 0; i < kConfigDialogItemCount; ++i) {
        const ConfigRow& row = rows[i];
        if (row.role == RowRole::Check) {
            g_settings.*row.setting = items[i].Selected;
        } else if (row.role == RowRole::Number) {
            // The host may have left an edit text without its terminator; never read past it.
            items[i].Data[sizeof(items[i].Data) - 1] = '\0';
            g_settings.*row.setting = ParseLeadingNumber(items[i].Data);
        }
    }
    SaveSettings();
    return 1;
}

} // namespace far1
