#include "config_dialog.h"

#include "../core/message_ids.h"
#include "../core/registry_settings.h"
#include "../core/settings.h"
#include "../core/settings_dialog.h"
#include "host_services.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace far1 {

namespace {

constexpr char kHelpTopic[] = "VelumoCfg";
constexpr uint32_t kSeparator = DIF_BOXCOLOR | DIF_SEPARATOR;

// The host item a row becomes, by the row's role (in DialogRowRole's order).
struct ItemKind {
    int Type;
    uint32_t Flags;
    int DefaultButton;
};
constexpr ItemKind kItemKinds[] = {
    {DI_DOUBLEBOX, 0, 0},            // Frame
    {DI_CHECKBOX, 0, 0},             // CheckBox
    {DI_FIXEDIT, 0, 0},              // DigitField
    {DI_TEXT, 0, 0},                 // DigitLabel
    {DI_TEXT, kSeparator, 0},        // Separator
    {DI_BUTTON, DIF_CENTERGROUP, 1}, // OkButton
    {DI_BUTTON, DIF_CENTERGROUP, 0}, // CancelButton
};
static_assert(sizeof(kItemKinds) / sizeof(kItemKinds[0]) ==
                  static_cast<size_t>(DialogRowRole::CancelButton) + 1,
              "an item kind for every row role");

// The template of one row of the host-neutral layout.
DialogItemTemplate TemplateFor(const DialogRow& row) {
    static const char kNoText[] = "";
    DialogItemTemplate item = {};
    item.X1 = static_cast<uint8_t>(row.X1);
    item.Y1 = static_cast<uint8_t>(row.Y1);
    item.X2 = static_cast<uint8_t>(row.X2);
    item.Y2 = static_cast<uint8_t>(row.Y2);
    item.Focus = row.Focus ? 1 : 0;
    item.Data =
        row.Label >= 0 ? static_cast<uintptr_t>(row.Label) : reinterpret_cast<uintptr_t>(kNoText);
    const ItemKind& kind = kItemKinds[static_cast<size_t>(row.Role)];
    item.Type = kind.Type;
    item.Flags = kind.Flags;
    item.DefaultButton = kind.DefaultButton;
    return item;
}

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
    const DialogLayout& layout = kFar1ConfigDialog;
    DialogItemTemplate templates[kMaxDialogRows];
    for (int i = 0; i < layout.Count; ++i) {
        templates[i] = TemplateFor(layout.Rows[i]);
    }
    FarDialogItem items[kMaxDialogRows];
    ExpandDialogItems(templates, items, layout.Count);

    // The values are put in as they are, without reduction to 0 and 1.
    for (int i = 0; i < layout.Count; ++i) {
        const DialogRow& row = layout.Rows[i];
        if (row.Setting < 0) {
            continue;
        }
        const int32_t value = g_settings.*kSettingFields[row.Setting].Field;
        if (row.Role == DialogRowRole::CheckBox) {
            items[i].Selected = value;
        } else if (value != 0) {
            snprintf(items[i].Data, sizeof(items[i].Data), "%d", static_cast<int>(value));
        }
    }

    int closedBy =
        RunHostDialog(-1, -1, layout.Width, layout.Height, kHelpTopic, items, layout.Count);
    if (closedBy != layout.OkRow) {
        return 0;
    }

    for (int i = 0; i < layout.Count; ++i) {
        const DialogRow& row = layout.Rows[i];
        if (row.Setting < 0) {
            continue;
        }
        int32_t& value = g_settings.*kSettingFields[row.Setting].Field;
        if (row.Role == DialogRowRole::CheckBox) {
            value = items[i].Selected;
        } else {
            // The host may have left an edit text without its terminator; never read past it.
            items[i].Data[sizeof(items[i].Data) - 1] = '\0';
            value = ParseLeadingNumber(items[i].Data);
        }
    }
    SaveSettings();
    return 1;
}

} // namespace far1
