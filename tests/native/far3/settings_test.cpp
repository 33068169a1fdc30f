// The FAR 3 settings in FAR's store, the one-time move from the old registry key, the dialog.
#include "far3/entry_points.h"
#include "far3/guids.h"
#include "far3/host_services.h"
#include "far3/settings_store.h"
#include "far3_fixture.h"

#include <cstring>

namespace {

using far3host::Text;

const DialogLayout& kLayout = kFar3ConfigDialog;
const intptr_t kOkButton = kLayout.OkRow;
const intptr_t kCancelButton = kLayout.CancelRow;

size_t RowOf(int32_t Settings::*field) {
    return static_cast<size_t>(DialogRowOf(kLayout, field));
}

// What FAR's store should hold for whole settings records: each FAR 3 setting's number, -1 for
// a setting FAR 3 does not have.
std::vector<long long> StoreOf(const std::vector<int32_t>& fields) {
    std::vector<long long> values;
    for (int i = 0; i < kSettingCount; ++i) {
        values.push_back((kSettingFields[i].FrontEnds & kFar3) != 0 ? fields[i] : -1);
    }
    return values;
}

// A store holding the given values alone.
std::vector<long long> StoreHolding(std::initializer_list<SettingValue> held) {
    std::vector<long long> values(kSettingCount, -1);
    for (const SettingValue& value : held) {
        values[SettingIndex(value.first)] = value.second;
    }
    return values;
}

class Far3Settings : public Far3Test {
  protected:
    // The store's numbers for the settings in record order; -1 for one it lacks.
    static std::vector<long long> Stored() {
        std::vector<long long> values;
        for (const SettingField& setting : kSettingFields) {
            const std::u16string name(setting.Name, setting.Name + strlen(setting.Name));
            const auto value = far3host::ReadSetting(far3::PSL_ROAMING, name.c_str());
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
    EXPECT_EQ(FieldsWith({{&Settings::AddToDisksMenu, 0},
                          {&Settings::ShowDesktopIcon, 0},
                          {&Settings::ShowInvisibleWindow, 1},
                          {&Settings::ShowAllWindowAtExit, 5}}),
              SettingsFields(g_settings));
}

TEST_F(Far3Settings, ATruthValueOfFiveStaysFiveThroughOk) {
    ASSERT_TRUE(StartFar3({Far3Number(u"ShowOwnerWindow", 5)}));
    EXPECT_EQ(1, Configure(kOkButton));
    EXPECT_EQ(
        far3::BSTATE_CHECKED,
        far3host::DialogCalls().at(0).items.at(RowOf(&Settings::ShowOwnerWindow)).item.Selected);
    EXPECT_EQ(5, g_settings.ShowOwnerWindow);
    EXPECT_EQ(StoreOf(FieldsWith({{&Settings::ShowOwnerWindow, 5}})), Stored())
        << "the digit never stored";
}

TEST_F(Far3Settings, TheOldRegistryValuesMoveOverOnceAndTheRegistryIsNeverWritten) {
    SeedOldKey("ShowOwnerWindow", 1);
    SeedOldKey("DisksMenuDigit", 3);
    SeedOldKey("ShowAllWindowAtExit", 0);
    ASSERT_TRUE(StartFar3());
    const std::vector<int32_t> moved =
        FieldsWith({{&Settings::ShowOwnerWindow, 1}, {&Settings::ShowAllWindowAtExit, 0}});
    EXPECT_EQ(moved, SettingsFields(g_settings));
    EXPECT_EQ(StoreOf(moved), Stored());
    EXPECT_EQ(1, Configure(kOkButton));

    // The next start reads the store alone, whatever the old key holds by then.
    SeedOldKey("ShowInvisibleWindow", 1);
    ASSERT_TRUE(StartFar3(far3host::StoredSettings()));
    EXPECT_EQ(moved, SettingsFields(g_settings));
    // So does a start whose store holds any one of Velumo's values.
    ASSERT_TRUE(StartFar3({Far3Number(u"ShowDesktopIcon", 0)}));
    EXPECT_EQ(FieldsWith({{&Settings::ShowDesktopIcon, 0}}), SettingsFields(g_settings));
    EXPECT_EQ(StoreHolding({{&Settings::ShowDesktopIcon, 0}}), Stored());
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
    EXPECT_EQ(
        1, Configure(kOkButton, -1, {{RowOf(&Settings::ShowOwnerWindow), far3::BSTATE_CHECKED}}));
    EXPECT_EQ(1, g_settings.ShowOwnerWindow) << "kept for this session";
    EXPECT_EQ(StoreHolding({{&Settings::ShowDesktopIcon, 0}}), Stored());
}

TEST_F(Far3Settings, OnlyOkOrEnterOnACheckBoxStoresWhatTheDialogShows) {
    struct Case {
        const char* how;
        intptr_t result, enterOnItem;
        int confirmed;
    };
    // Every check box flipped.
    std::vector<std::pair<size_t, intptr_t>> allFlipped;
    Settings flipped = kDefaultSettings;
    for (int i = 0; i < kLayout.Count; ++i) {
        const DialogRow& row = kLayout.Rows[i];
        if (row.Role == DialogRowRole::CheckBox) {
            int32_t& value = flipped.*kSettingFields[row.Setting].Field;
            value = value != 0 ? 0 : 1;
            allFlipped.push_back({i, value != 0 ? far3::BSTATE_CHECKED : far3::BSTATE_UNCHECKED});
        }
    }
    for (const Case& c : {Case{"Esc", -1, -1, 0}, Case{"Ctrl+Break", -2, -1, 0},
                          Case{"Cancel", kCancelButton, -1, 0}, Case{"OK", kOkButton, -1, 1},
                          Case{"Enter on a check box", -1,
                               static_cast<intptr_t>(RowOf(&Settings::ShowInvisibleWindow)), 1}}) {
        SCOPED_TRACE(c.how);
        ASSERT_TRUE(StartFar3());
        EXPECT_EQ(c.confirmed, Configure(c.result, c.enterOnItem, allFlipped));
        const far3host::DialogCall& dialog = far3host::DialogCalls().at(0);
        EXPECT_TRUE(far3::SameGuid(far3::kPluginGuid, dialog.pluginId));
        EXPECT_TRUE(far3::SameGuid(far3::kConfigDialogGuid, dialog.dialogId));
        EXPECT_EQ(Text(u"VelumoCfg"), dialog.helpTopic);
        EXPECT_TRUE(dialog.freed);
        if (c.confirmed) {
            EXPECT_EQ(SettingsFields(flipped), SettingsFields(g_settings));
            EXPECT_EQ(StoreOf(SettingsFields(flipped)), Stored());
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
