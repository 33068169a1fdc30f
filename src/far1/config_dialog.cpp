#include "config_dialog.h"

#include "../host/host_services.h"
#include "../host/message_ids.h"
#include "settings.h"
#include "settings_store.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDialogWidth = 76;
constexpr int kDialogHeight = 13;
constexpr char kHelpTopic[] = "VelumoCfg";
constexpr uint32_t kSeparator = DIF_BOXCOLOR | DIF_SEPARATOR;

enum ConfigItem {
    kItemFrame = 0,
    kItemAddToDisksMenu = 1,
    kItemDisksMenuDigit = 2,
    kItemShowDesktopIcon = 5,
    kItemShowOwnerWindow = 6,
    kItemShowInvisibleWindow = 7,
    kItemShowAllWindowAtExit = 8,
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
    const DialogItemTemplate templates[kConfigDialogItemCount] = {
        {DI_DOUBLEBOX, 3, 1, 72, 11, 0, 0, 0, 0, kMsgConfigTitle},
        {DI_CHECKBOX, 5, 2, 0, 0, 0, 0, 0, 0, kMsgAddToDisksMenu},
        {DI_FIXEDIT, 7, 3, 7, 3, 1, 0, 0, 0, empty},
        {DI_TEXT, 9, 3, 0, 0, 0, 0, 0, 0, kMsgDisksMenuDigit},
        {DI_TEXT, 5, 4, 0, 0, 0, 0, kSeparator, 0, empty},
        {DI_CHECKBOX, 5, 5, 0, 0, 0, 0, 0, 0, kMsgShowDesktopIcon},
        {DI_CHECKBOX, 5, 6, 0, 0, 0, 0, 0, 0, kMsgShowOwnerWindow},
        {DI_CHECKBOX, 5, 7, 0, 0, 0, 0, 0, 0, kMsgShowInvisibleWindow},
        {DI_CHECKBOX, 5, 8, 0, 0, 0, 0, 0, 0, kMsgShowAllWindowAtExit},
        {DI_TEXT, 5, 9, 0, 0, 0, 0, kSeparator, 0, empty},
        {DI_BUTTON, 0, 10, 0, 0, 0, 0, DIF_CENTERGROUP, 1, kMsgOk},
        {DI_BUTTON, 0, 10, 0, 0, 0, 0, DIF_CENTERGROUP, 0, kMsgCancel},
    };
    FarDialogItem items[kConfigDialogItemCount];
    ExpandDialogItems(templates, items, kConfigDialogItemCount);

    items[kItemAddToDisksMenu].Selected = g_settings.AddToDisksMenu;
    if (g_settings.DisksMenuDigit != 0) {
        snprintf(items[kItemDisksMenuDigit].Data, sizeof(items[kItemDisksMenuDigit].Data), "%d",
                 static_cast<int>(g_settings.DisksMenuDigit));
    }
    items[kItemShowDesktopIcon].Selected = g_settings.ShowDesktopIcon;
    items[kItemShowOwnerWindow].Selected = g_settings.ShowOwnerWindow;
    items[kItemShowInvisibleWindow].Selected = g_settings.ShowInvisibleWindow;
    items[kItemShowAllWindowAtExit].Selected = g_settings.ShowAllWindowAtExit;

    int closedBy = RunHostDialog(-1, -1, kDialogWidth, kDialogHeight, kHelpTopic, items,
                                 kConfigDialogItemCount);
    if (closedBy != kConfirmButtonIndex) {
        return 0;
    }

    // The host may have left an edit text without its terminator; never read past the field.
    items[kItemDisksMenuDigit].Data[sizeof(items[kItemDisksMenuDigit].Data) - 1] = '\0';
    g_settings.AddToDisksMenu = items[kItemAddToDisksMenu].Selected;
    g_settings.DisksMenuDigit = ParseLeadingNumber(items[kItemDisksMenuDigit].Data);
    g_settings.ShowDesktopIcon = items[kItemShowDesktopIcon].Selected;
    g_settings.ShowOwnerWindow = items[kItemShowOwnerWindow].Selected;
    g_settings.ShowInvisibleWindow = items[kItemShowInvisibleWindow].Selected;
    g_settings.ShowAllWindowAtExit = items[kItemShowAllWindowAtExit].Selected;
    SaveSettings();
    return 1;
}
