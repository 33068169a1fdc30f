// The configuration dialog as rows on a host-neutral grid, laid out from the settings table for
// one front end: a double frame with the title, a row for each of the front end's settings
// (a separator line before those that ask for one), a separator, then OK and Cancel centred on
// one line. Each front end translates the rows into its host's dialog records, one record a row,
// in this order.
#pragma once

#include "message_ids.h"
#include "settings.h"

// What a row is, which decides the host record it becomes.
enum class DialogRowRole {
    Frame,      // the double box around everything, with the dialog's title
    CheckBox,   // edits the truth value of Setting
    DigitField, // the one-column edit field of Setting's number
    DigitLabel, // the label right of a digit field
    Separator,  // a line across the frame
    OkButton,   // closes the dialog and saves; the default button
    CancelButton,
};

struct DialogRow {
    DialogRowRole Role;
    int X1, Y1, X2, Y2; // X2 and Y2 are 0 where the host sizes the item itself
    int Label;          // message id of the row's text; -1: no text
    int Setting;        // index into kSettingFields of the setting it edits; -1: none
    bool Focus;         // the row that has the focus when the dialog opens
};

constexpr int kConfigDialogWidth = 76;
// At most: the frame, two rows a setting (a digit field and its label), a separator before each,
// the closing separator and the two buttons.
constexpr int kMaxDialogRows = 1 + 3 * kSettingCount + 3;

struct DialogLayout {
    DialogRow Rows[kMaxDialogRows];
    int Count;
    int Width, Height;
    int OkRow, CancelRow;
};

namespace dialog_layout_detail {

constexpr int kFrameLeft = 3, kFrameTop = 1, kFrameRight = 72;
constexpr int kRowLeft = 5;   // check boxes, separators, digit fields' rows
constexpr int kDigitLeft = 7; // the digit field, its label two columns to its right

constexpr void Add(DialogLayout& layout, DialogRow row) {
    if (layout.Count < kMaxDialogRows) {
        layout.Rows[layout.Count++] = row;
    }
}

} // namespace dialog_layout_detail

// The rows for a front end (kFar1 or kFar3). The focus goes to the first digit field, or to the
// first check box when the front end has no digit field.
constexpr DialogLayout LayoutConfigDialog(unsigned frontEnd) {
    using namespace dialog_layout_detail;
    DialogLayout layout{};
    Add(layout,
        {DialogRowRole::Frame, kFrameLeft, kFrameTop, kFrameRight, 0, kMsgConfigTitle, -1, false});
    int y = kFrameTop + 1;
    int focus = -1, firstCheck = -1;
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingField& setting = kSettingFields[i];
        if ((setting.FrontEnds & frontEnd) == 0) {
            continue;
        }
        if (setting.SeparatorBefore) {
            Add(layout, {DialogRowRole::Separator, kRowLeft, y++, 0, 0, -1, -1, false});
        }
        if (setting.Kind == SettingKind::CheckBox) {
            firstCheck = firstCheck < 0 ? layout.Count : firstCheck;
            Add(layout, {DialogRowRole::CheckBox, kRowLeft, y, 0, 0, setting.Label, i, false});
        } else {
            focus = focus < 0 ? layout.Count : focus;
            Add(layout, {DialogRowRole::DigitField, kDigitLeft, y, kDigitLeft, y, -1, i, false});
            Add(layout,
                {DialogRowRole::DigitLabel, kDigitLeft + 2, y, 0, 0, setting.Label, -1, false});
        }
        ++y;
    }
    Add(layout, {DialogRowRole::Separator, kRowLeft, y++, 0, 0, -1, -1, false});
    layout.OkRow = layout.Count;
    Add(layout, {DialogRowRole::OkButton, 0, y, 0, 0, kMsgOk, -1, false});
    layout.CancelRow = layout.Count;
    Add(layout, {DialogRowRole::CancelButton, 0, y, 0, 0, kMsgCancel, -1, false});
    layout.Rows[0].Y2 = y + 1;
    layout.Width = kConfigDialogWidth;
    layout.Height = y + 3;
    focus = focus < 0 ? firstCheck : focus;
    if (focus >= 0) {
        layout.Rows[focus].Focus = true;
    }
    return layout;
}

// The row of the dialog that edits `field`; -1 when the layout has none.
constexpr int DialogRowOf(const DialogLayout& layout, int32_t Settings::*field) {
    for (int i = 0; i < layout.Count; ++i) {
        const int setting = layout.Rows[i].Setting;
        if (setting >= 0 && kSettingFields[setting].Field == field) {
            return i;
        }
    }
    return -1;
}

constexpr DialogLayout kFar1ConfigDialog = LayoutConfigDialog(kFar1);
constexpr DialogLayout kFar3ConfigDialog = LayoutConfigDialog(kFar3);
