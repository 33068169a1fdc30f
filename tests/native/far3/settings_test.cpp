// The FAR 3 settings in FAR's own store (with the one-time move from the FAR 1.x plug-in's
// registry key) and the configuration dialog that edits them.
#include "core/message_ids.h"
#include "core/settings.h"
#include "far3/entry_points.h"
#include "far3/guids.h"
#include "far3/host_services.h"
#include "far3/settings_store.h"
#include "far3_fixture.h"
#include "sim_desktop.h"

namespace {

using far3host::Text;

constexpr intptr_t kOkButton = 8;
constexpr intptr_t kCancelButton = 9;

class Far3Settings : public Far3Test {
  protected:
    // The store's numbers for the six settings in record order; -1 for one it lacks.
    static std::vector<long long> Stored() {
        std::vector<long long> values;
        for (const char16_t* name :
             {u"AddToDisksMenu", u"DisksMenuDigit", u"ShowDesktopIcon", u"ShowOwnerWindow",
              u"ShowInvisibleWindow", u"ShowAllWindowAtExit"}) {
            const auto value = far3host::ReadSetting(far3::PSL_ROAMING, name);
            values.push_back(value && value->type == far3::FST_QWORD
                                 ? static_cast<long long>(value->number)
                                 : -1);
        }
        return values;
    }
    static void SeedOldKey(const char* name, uint8_t value) {
        simwin::SeedRegistryValue(far3::kOldRegistryKeyPath, name, REG_DWORD, {value, 0, 0, 0});
    }
    static intptr_t Configure(intptr_t result, intptr_t enterOnItem = -1,
                              std::vector<std::pair<size_t, intptr_t>> checks = {}) {
        far3host::DialogAnswer answer;
        answer.result = result;
        answer.enterOnItem = enterOnItem;
        answer.checks = std::move(checks);
        far3host::QueueDialogAnswer(answer);
        return far3host::Configure();
    }
};

TEST_F(Far3Settings, EachSettingIsTheStoredNumberElseItsDefault) {
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings)) << "an empty store";
    EXPECT_TRUE(far3host::StoredSettings().empty()) << "and it stays empty";
    far3host::SettingValue text;
    text.type = far3::FST_STRING;
    text.string = u"1";
    ASSERT_TRUE(StartFar3({Far3Number(u"AddToDisksMenu", 0),
                           Far3Number(u"DisksMenuDigit", 4),
                           Far3Number(u"ShowDesktopIcon", 0),
                           Far3Number(u"ShowInvisibleWindow", 1),
                           Far3Number(u"ShowAllWindowAtExit", 0x100000005ull),
                           {far3::PSL_ROAMING, u"ShowOwnerWindow", text}}));
    // The digit is no FAR 3 setting; a number keeps the 32 bits a setting has.
    EXPECT_EQ((std::vector<int32_t>{0, 9, 0, 0, 1, 5}), SettingsFields(g_settings));
}

TEST_F(Far3Settings, ATruthValueOfFiveStaysFiveThroughOk) {
    ASSERT_TRUE(StartFar3({Far3Number(u"ShowOwnerWindow", 5)}));
    EXPECT_EQ(1, Configure(kOkButton));
    EXPECT_EQ(far3::BSTATE_CHECKED, far3host::DialogCalls().at(0).items.at(4).item.Selected);
    EXPECT_EQ(5, g_settings.ShowOwnerWindow);
    EXPECT_EQ((std::vector<long long>{1, -1, 1, 5, 0, 1}), Stored()) << "the digit never stored";
}

TEST_F(Far3Settings, TheOldRegistryValuesMoveOverOnceAndTheRegistryIsNeverWritten) {
    SeedOldKey("ShowOwnerWindow", 1);
    SeedOldKey("DisksMenuDigit", 3);
    SeedOldKey("ShowAllWindowAtExit", 0);
    ASSERT_TRUE(StartFar3());
    EXPECT_EQ((std::vector<int32_t>{1, 9, 1, 1, 0, 0}), SettingsFields(g_settings));
    EXPECT_EQ((std::vector<long long>{1, -1, 1, 1, 0, 0}), Stored());
    EXPECT_EQ(1, Configure(kOkButton));

    // The next start reads the store alone, whatever the old key holds by then.
    SeedOldKey("ShowInvisibleWindow", 1);
    ASSERT_TRUE(StartFar3(far3host::StoredSettings()));
    EXPECT_EQ((std::vector<int32_t>{1, 9, 1, 1, 0, 0}), SettingsFields(g_settings));
    // So does a start whose store holds any one of Velumo's values.
    ASSERT_TRUE(StartFar3({Far3Number(u"ShowDesktopIcon", 0)}));
    EXPECT_EQ((std::vector<int32_t>{1, 9, 0, 0, 0, 1}), SettingsFields(g_settings));
    EXPECT_EQ((std::vector<long long>{-1, -1, 0, -1, -1, -1}), Stored());
    EXPECT_TRUE(simwin::RegistryWrites().empty());
    EXPECT_EQ(0, simwin::OpenRegistryKeyCount());
}

TEST_F(Far3Settings, AStoreThatCannotBeOpenedGivesTheDefaults) {
    SeedOldKey("ShowOwnerWindow", 1);
    ASSERT_TRUE(StartFar3({Far3Number(u"ShowDesktopIcon", 0)}));
    far3host::FailSettingsCreate(true);
    // FAR starting the plug-in anew, with the same services.
    far3::FarStandardFunctions table = *far3::HostServices.FSF;
    far3::PluginStartupInfo again = far3::HostServices;
    again.FSF = &table;
    SetStartupInfoW(&again);
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    EXPECT_EQ(1, Configure(kOkButton, -1, {{4, far3::BSTATE_CHECKED}}));
    EXPECT_EQ(1, g_settings.ShowOwnerWindow) << "kept for this session";
    EXPECT_EQ((std::vector<long long>{-1, -1, 0, -1, -1, -1}), Stored());
}

TEST_F(Far3Settings, TheDialogHasTheFar1TextsAndLayoutWithoutTheDigitRow) {
    EXPECT_EQ(0, Configure(-1));
    ASSERT_EQ(1u, far3host::DialogCalls().size());
    const far3host::DialogCall& dialog = far3host::DialogCalls()[0];
    EXPECT_TRUE(far3::SameGuid(far3::kPluginGuid, dialog.pluginId));
    EXPECT_TRUE(far3::SameGuid(far3::kConfigDialogGuid, dialog.dialogId));
    EXPECT_EQ((std::vector<intptr_t>{-1, -1, 76, 12}),
              (std::vector<intptr_t>{dialog.x1, dialog.y1, dialog.x2, dialog.y2}));
    EXPECT_EQ(Text(u"VelumoCfg"), dialog.helpTopic);
    EXPECT_EQ(0u, dialog.flags);

    constexpr far3::FARDIALOGITEMFLAGS kSeparator = far3::DIF_BOXCOLOR | far3::DIF_SEPARATOR;
    struct Row {
        far3::FARDIALOGITEMTYPES type;
        intptr_t x1, y1, x2, y2;
        far3::FARDIALOGITEMFLAGS flags;
        int message; // -1: no text
        intptr_t selected;
    };
    const Row rows[] = {
        {far3::DI_DOUBLEBOX, 3, 1, 72, 10, 0, kMsgConfigTitle, 0},
        {far3::DI_CHECKBOX, 5, 2, 0, 0, far3::DIF_FOCUS, kMsgAddToDisksMenu, 1},
        {far3::DI_TEXT, 5, 3, 0, 0, kSeparator, -1, 0},
        {far3::DI_CHECKBOX, 5, 4, 0, 0, 0, kMsgShowDesktopIcon, 1},
        {far3::DI_CHECKBOX, 5, 5, 0, 0, 0, kMsgShowOwnerWindow, 0},
        {far3::DI_CHECKBOX, 5, 6, 0, 0, 0, kMsgShowInvisibleWindow, 0},
        {far3::DI_CHECKBOX, 5, 7, 0, 0, 0, kMsgShowAllWindowAtExit, 1},
        {far3::DI_TEXT, 5, 8, 0, 0, kSeparator, -1, 0},
        {far3::DI_BUTTON, 0, 9, 0, 0, far3::DIF_CENTERGROUP | far3::DIF_DEFAULTBUTTON, kMsgOk, 0},
        {far3::DI_BUTTON, 0, 9, 0, 0, far3::DIF_CENTERGROUP, kMsgCancel, 0},
    };
    ASSERT_EQ(sizeof(rows) / sizeof(rows[0]), dialog.items.size());
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        SCOPED_TRACE(i);
        const Row& row = rows[i];
        const far3::FarDialogItem& item = dialog.items[i].item;
        EXPECT_EQ(
            (std::vector<intptr_t>{row.type, row.x1, row.y1, row.x2, row.y2, row.selected}),
            (std::vector<intptr_t>{item.Type, item.X1, item.Y1, item.X2, item.Y2, item.Selected}));
        EXPECT_EQ(row.flags, item.Flags);
        EXPECT_EQ(row.message >= 0 ? Msg(row.message) : Text(), dialog.items[i].data);
    }
}

TEST_F(Far3Settings, OnlyOkOrEnterOnACheckBoxStoresWhatTheDialogShows) {
    struct Case {
        const char* how;
        intptr_t result, enterOnItem;
        int confirmed;
    };
    const std::vector<std::pair<size_t, intptr_t>> allFlipped = {{1, far3::BSTATE_UNCHECKED},
                                                                 {3, far3::BSTATE_UNCHECKED},
                                                                 {4, far3::BSTATE_CHECKED},
                                                                 {5, far3::BSTATE_CHECKED},
                                                                 {6, far3::BSTATE_UNCHECKED}};
    for (const Case& c : {Case{"Esc", -1, -1, 0}, Case{"Ctrl+Break", -2, -1, 0},
                          Case{"Cancel", kCancelButton, -1, 0}, Case{"OK", kOkButton, -1, 1},
                          Case{"Enter on a check box", -1, 5, 1}}) {
        SCOPED_TRACE(c.how);
        ASSERT_TRUE(StartFar3());
        EXPECT_EQ(c.confirmed, Configure(c.result, c.enterOnItem, allFlipped));
        EXPECT_TRUE(far3host::DialogCalls().at(0).freed);
        if (c.confirmed) {
            EXPECT_EQ((std::vector<int32_t>{0, 9, 0, 1, 1, 0}), SettingsFields(g_settings));
            EXPECT_EQ((std::vector<long long>{0, -1, 0, 1, 1, 0}), Stored());
        } else {
            EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
            EXPECT_TRUE(far3host::StoredSettings().empty());
        }
    }
    // A dialog FAR cannot make changes nothing either.
    ASSERT_TRUE(StartFar3());
    far3host::FailDialogInit(true);
    EXPECT_EQ(0, Configure(kOkButton, -1, allFlipped));
    EXPECT_FALSE(far3host::DialogCalls().at(0).ran);
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
}

} // namespace
