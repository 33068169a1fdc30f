// The dialog rows the core lays out from the settings table, against the layout rules walked
// independently: frame, one row a setting, separators, OK and Cancel on one line, the focus.
#include "core/settings_dialog.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

// role, x1, y1, x2, y2, label, setting, focus
typedef std::tuple<int, int, int, int, int, int, int, bool> Row;

Row RowOf(DialogRowRole role, int x1, int y, int x2, int y2, int label, int setting) {
    return Row{static_cast<int>(role), x1, y, x2, y2, label, setting, false};
}

TEST(SettingsDialog, RowsFollowTheSettingsTableForEachFrontEnd) {
    for (unsigned frontEnd : {kFar1, kFar3}) {
        SCOPED_TRACE(frontEnd);
        const DialogLayout& layout = frontEnd == kFar1 ? kFar1ConfigDialog : kFar3ConfigDialog;
        std::vector<Row> expected = {RowOf(DialogRowRole::Frame, 3, 1, 72, 0, kMsgConfigTitle, -1)};
        int y = 2, settings = 0, focus = -1, firstCheck = -1;
        for (int i = 0; i < kSettingCount; ++i) {
            const SettingField& s = kSettingFields[i];
            if ((s.FrontEnds & frontEnd) == 0) {
                continue;
            }
            ++settings;
            if (s.SeparatorBefore) {
                expected.push_back(RowOf(DialogRowRole::Separator, 5, y++, 0, 0, -1, -1));
            }
            if (s.Kind == SettingKind::CheckBox) {
                firstCheck = firstCheck < 0 ? static_cast<int>(expected.size()) : firstCheck;
                expected.push_back(RowOf(DialogRowRole::CheckBox, 5, y++, 0, 0, s.Label, i));
                continue;
            }
            focus = focus < 0 ? static_cast<int>(expected.size()) : focus;
            expected.push_back(RowOf(DialogRowRole::DigitField, 7, y, 7, y, -1, i));
            expected.push_back(RowOf(DialogRowRole::DigitLabel, 9, y++, 0, 0, s.Label, -1));
        }
        expected.push_back(RowOf(DialogRowRole::Separator, 5, y++, 0, 0, -1, -1));
        expected.push_back(RowOf(DialogRowRole::OkButton, 0, y, 0, 0, kMsgOk, -1));
        expected.push_back(RowOf(DialogRowRole::CancelButton, 0, y, 0, 0, kMsgCancel, -1));
        std::get<4>(expected[0]) = y + 1;
        std::get<7>(expected[static_cast<size_t>(focus >= 0 ? focus : firstCheck)]) = true;

        EXPECT_EQ(SettingCountFor(frontEnd), settings);
        EXPECT_EQ((std::vector<int>{76, y + 3, static_cast<int>(expected.size()) - 2,
                                    static_cast<int>(expected.size()) - 1}),
                  (std::vector<int>{layout.Width, layout.Height, layout.OkRow, layout.CancelRow}));
        std::vector<Row> actual;
        for (int i = 0; i < layout.Count; ++i) {
            const DialogRow& r = layout.Rows[i];
            actual.push_back(
                Row{static_cast<int>(r.Role), r.X1, r.Y1, r.X2, r.Y2, r.Label, r.Setting, r.Focus});
        }
        EXPECT_EQ(expected, actual);
    }
}

} // namespace
