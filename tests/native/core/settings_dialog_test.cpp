// The configuration dialog's rows as the core lays them out from the settings table, for each
// front end, checked against the layout rules walked independently of the builder: the frame
// with the title, one row a setting in table order (a digit field with its label right of it),
// separators, then OK and Cancel on one line.
#include "core/settings_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
    DialogRowRole role;
    int x1, y1, x2, y2, label, setting;
    bool focus;
};

bool operator==(const Row& a, const Row& b) {
    return a.role == b.role && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
           a.label == b.label && a.setting == b.setting && a.focus == b.focus;
}

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{role " << static_cast<int>(r.role) << ", " << r.x1 << "," << r.y1 << "," << r.x2
               << "," << r.y2 << ", label " << r.label << ", setting " << r.setting
               << (r.focus ? ", focus}" : "}");
}

TEST(SettingsDialog, RowsFollowTheSettingsTableForEachFrontEnd) {
    struct Case {
        const char* name;
        unsigned frontEnd;
        const DialogLayout& layout;
    };
    for (const Case& c :
         {Case{"FAR 1.x", kFar1, kFar1ConfigDialog}, Case{"FAR 3", kFar3, kFar3ConfigDialog}}) {
        SCOPED_TRACE(c.name);
        std::vector<Row> expected = {
            {DialogRowRole::Frame, 3, 1, 72, 0, kMsgConfigTitle, -1, false}};
        int y = 2, settings = 0;
        for (int i = 0; i < kSettingCount; ++i) {
            const SettingField& s = kSettingFields[i];
            if ((s.FrontEnds & c.frontEnd) == 0) {
                continue;
            }
            ++settings;
            if (s.SeparatorBefore) {
                expected.push_back({DialogRowRole::Separator, 5, y++, 0, 0, -1, -1, false});
            }
            if (s.Kind == SettingKind::CheckBox) {
                expected.push_back({DialogRowRole::CheckBox, 5, y, 0, 0, s.Label, i, false});
            } else {
                expected.push_back({DialogRowRole::DigitField, 7, y, 7, y, -1, i, false});
                expected.push_back({DialogRowRole::DigitLabel, 9, y, 0, 0, s.Label, -1, false});
            }
            ++y;
        }
        expected.push_back({DialogRowRole::Separator, 5, y++, 0, 0, -1, -1, false});
        expected.push_back({DialogRowRole::OkButton, 0, y, 0, 0, kMsgOk, -1, false});
        expected.push_back({DialogRowRole::CancelButton, 0, y, 0, 0, kMsgCancel, -1, false});
        expected[0].y2 = y + 1;
        // The focus: the digit field where there is one, otherwise the first check box.
        bool focused = false;
        for (DialogRowRole role : {DialogRowRole::DigitField, DialogRowRole::CheckBox}) {
            for (Row& row : expected) {
                if (!focused && row.role == role) {
                    row.focus = focused = true;
                }
            }
        }

        EXPECT_EQ(SettingCountFor(c.frontEnd), settings);
        EXPECT_EQ(76, c.layout.Width);
        EXPECT_EQ(y + 3, c.layout.Height);
        EXPECT_EQ(static_cast<int>(expected.size()) - 2, c.layout.OkRow);
        EXPECT_EQ(static_cast<int>(expected.size()) - 1, c.layout.CancelRow);
        std::vector<Row> actual;
        for (int i = 0; i < c.layout.Count; ++i) {
            const DialogRow& r = c.layout.Rows[i];
            actual.push_back({r.Role, r.X1, r.Y1, r.X2, r.Y2, r.Label, r.Setting, r.Focus});
        }
        EXPECT_EQ(expected, actual);
    }
}

} // namespace
