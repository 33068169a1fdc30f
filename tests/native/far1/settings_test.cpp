// The FAR 1.x settings in the registry: loading, fall-backs, saving, the key path.
#include "core/registry_settings.h"
#include "far1/settings_store.h"
#include "far1_fixture.h"

#include <climits>

namespace {

const Settings kPattern = AllFields(-5); // no field has this value after a load

const std::vector<int32_t> kDefaults = SettingsFields(kDefaultSettings);

std::vector<uint8_t> LittleEndian(int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

void SeedDword(const std::string& path, const char* name, int32_t value) {
    simwin::SeedRegistryValue(path, name, REG_DWORD, LittleEndian(value));
}

class SettingsStore : public DesktopTest {
  protected:
    void SetUp() override {
        DesktopTest::SetUp();
        g_settings = kPattern;
    }
    void TearDown() override {
        EXPECT_EQ(0, simwin::OpenRegistryKeyCount()) << "a registry key was left open";
        DesktopTest::TearDown();
    }

    // Checks that the writes from `first` on are all the settings, in record order, at `path`.
    static void ExpectAllWrites(const std::string& path, const std::vector<int32_t>& values,
                                size_t first = 0) {
        const auto& writes = simwin::RegistryWrites();
        ASSERT_EQ(first + kSettingCount, writes.size());
        for (size_t i = 0; i < kSettingCount; ++i) {
            SCOPED_TRACE(kSettingFields[i].Name);
            EXPECT_EQ(path, writes[first + i].keyPath);
            EXPECT_EQ(kSettingFields[i].Name, writes[first + i].name);
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), writes[first + i].type);
            EXPECT_EQ(LittleEndian(values[i]), writes[first + i].data);
        }
    }
};

TEST_F(SettingsStore, WithoutAKeyLoadsTheDefaultsAndCreatesNothing) {
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(kDefaults, SettingsFields(g_settings));
    EXPECT_STREQ(kVelumoKeyPath, SettingsKeyPath());
    EXPECT_FALSE(simwin::RegistryKeyExists("Software"));
    EXPECT_TRUE(simwin::RegistryWrites().empty());
}

TEST_F(SettingsStore, DataOfAtMostFourBytesIsTakenWhateverItsType) {
    simwin::SeedRegistryValue(kVelumoKeyPath, "DisksMenuDigit", REG_BINARY, {5});
    simwin::SeedRegistryValue(kVelumoKeyPath, "AddToDisksMenu", REG_BINARY, {1, 2, 3});
    simwin::SeedRegistryValue(kVelumoKeyPath, "ShowDesktopIcon", REG_SZ, {'1', '\0'});
    simwin::SeedRegistryValue(kVelumoKeyPath, "ShowOwnerWindow", REG_SZ, {0xFF, 0xFF, 0xFF, 0xFF});
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(FieldsWith({{&Settings::AddToDisksMenu, 0x030201},
                          {&Settings::DisksMenuDigit, 5},
                          {&Settings::ShowDesktopIcon, '1'},
                          {&Settings::ShowOwnerWindow, -1}}),
              SettingsFields(g_settings));
}

TEST_F(SettingsStore, EmptyAndOversizedValuesLoadTheDefault) {
    simwin::SeedRegistryValue(kVelumoKeyPath, "DisksMenuDigit", REG_BINARY, {});
    simwin::SeedRegistryValue(kVelumoKeyPath, "ShowAllWindowAtExit", REG_QWORD,
                              {0, 0, 0, 0, 0, 0, 0, 0});
    simwin::SeedRegistryValue(kVelumoKeyPath, "ShowDesktopIcon", REG_BINARY, {0, 0, 0, 0, 0});
    SeedDword(kVelumoKeyPath, "ShowInvisibleWindow",
              3); // read after the oversized ones all the same
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(FieldsWith({{&Settings::ShowInvisibleWindow, 3}}), SettingsFields(g_settings));
}

TEST_F(SettingsStore, RegistryFailuresWhileLoadingGiveTheDefaults) {
    std::vector<int32_t> seeded;
    for (const SettingField& setting : kSettingFields) {
        seeded.push_back(40 + static_cast<int32_t>(seeded.size()));
        SeedDword(kVelumoKeyPath, setting.Name, seeded.back());
    }
    for (simwin::RegistryCall call : {simwin::RegistryCall::Open, simwin::RegistryCall::Query}) {
        g_settings = kPattern;
        simwin::FailRegistryCall(call, ERROR_ACCESS_DENIED);
        far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
        EXPECT_EQ(kDefaults, SettingsFields(g_settings));
        EXPECT_EQ(0, simwin::OpenRegistryKeyCount()) << "key kept open after a failed query";
        simwin::FailRegistryCall(call, ERROR_SUCCESS);
    }
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(seeded, SettingsFields(g_settings));
}

TEST_F(SettingsStore, ReadDwordValueReportsWhetherTheStoredValueWasTaken) {
    SeedDword(kVelumoKeyPath, "ShowOwnerWindow", 0x11223344);
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    uint8_t buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(1, ReadDwordValue("ShowOwnerWindow", buffer, 6));
    EXPECT_EQ(LittleEndian(0x11223344), std::vector<uint8_t>(buffer, buffer + 4));
    EXPECT_EQ(0, ReadDwordValue("NoSuchValue", buffer, 6));
    EXPECT_EQ(LittleEndian(6), std::vector<uint8_t>(buffer, buffer + 4));
    EXPECT_EQ(-9, ReadDwordOrDefault("NoSuchValue", -9));
}

// A value shorter than four bytes is read over the default: it replaces the default's low
// bytes only, and the high bytes stay the default's.
TEST_F(SettingsStore, AShortValueFillsOnlyTheLowBytesOfTheDefault) {
    simwin::SeedRegistryValue(kVelumoKeyPath, "DisksMenuDigit", REG_BINARY, {0x05});
    simwin::SeedRegistryValue(kVelumoKeyPath, "ShowOwnerWindow", REG_SZ, {0x05, 0x06});
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(0x11223305, ReadDwordOrDefault("DisksMenuDigit", 0x11223344));
    EXPECT_EQ(0x11220605, ReadDwordOrDefault("ShowOwnerWindow", 0x11223344));
    EXPECT_EQ(-251, ReadDwordOrDefault("DisksMenuDigit", -1)); // FFFFFF05
}

TEST_F(SettingsStore, SaveCreatesTheKeyPathAndWritesAllInRecordOrder) {
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    SaveSettings();
    EXPECT_TRUE(simwin::RegistryKeyExists(kVelumoKeyPath));
    ExpectAllWrites(kVelumoKeyPath, kDefaults);

    // Written as held: nothing is clamped or reduced to 0 and 1; a reload gives them back.
    const std::vector<int32_t> odd = FieldsWith({{&Settings::AddToDisksMenu, 7},
                                                 {&Settings::DisksMenuDigit, -1},
                                                 {&Settings::ShowDesktopIcon, 0},
                                                 {&Settings::ShowOwnerWindow, 2},
                                                 {&Settings::ShowInvisibleWindow, 0x12345678},
                                                 {&Settings::ShowAllWindowAtExit, INT32_MIN}},
                                                AllFields(-7));
    for (int i = 0; i < kSettingCount; ++i) {
        g_settings.*kSettingFields[i].Field = odd[i];
    }
    SaveSettings();
    ExpectAllWrites(kVelumoKeyPath, odd, kSettingCount);
    g_settings = kPattern;
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(odd, SettingsFields(g_settings));
}

TEST_F(SettingsStore, AFailedCreateSkipsTheValueAndTheNextWriteTriesAgain) {
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_ACCESS_DENIED);
    SaveSettings();
    WriteDwordValue("ShowOwnerWindow", 1);
    EXPECT_TRUE(simwin::RegistryWrites().empty());
    EXPECT_FALSE(simwin::RegistryKeyExists(kVelumoKeyPath));
    EXPECT_EQ(kDefaults, SettingsFields(g_settings)) << "the settings in memory stay as they were";

    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_SUCCESS);
    WriteDwordValue("ShowOwnerWindow", 1);
    ASSERT_EQ(1u, simwin::RegistryWrites().size());
    EXPECT_EQ("ShowOwnerWindow", simwin::RegistryWrites()[0].name);

    // A failing set still closes every key it created.
    simwin::FailRegistryCall(simwin::RegistryCall::Set, ERROR_ACCESS_DENIED);
    SaveSettings();
    EXPECT_EQ(1u, simwin::RegistryWrites().size());
}

TEST_F(SettingsStore, ARootKeyOf72CharactersGivesThe79CharacterPath) {
    const std::string root = "Software\\" + std::string(63, 'R');
    ASSERT_EQ(72u, root.size());
    const std::string path = root + "\\Velumo";
    SeedDword(path, "DisksMenuDigit", 3);
    far1::LoadSettingsBelowRootKey(root.c_str());
    EXPECT_EQ(79u, std::string(SettingsKeyPath()).size());
    EXPECT_EQ(path, SettingsKeyPath());
    EXPECT_EQ(3, g_settings.DisksMenuDigit);
    SaveSettings();
    ExpectAllWrites(path, FieldsWith({{&Settings::DisksMenuDigit, 3}}));
}

TEST_F(SettingsStore, ANullRootKeyReadsTheDefaultsAndWritesNothing) {
    SeedDword("Velumo", "DisksMenuDigit", 2);
    SeedDword("(null)\\Velumo", "DisksMenuDigit", 2);
    far1::LoadSettingsBelowRootKey(nullptr);
    EXPECT_EQ(kDefaults, SettingsFields(g_settings));
    EXPECT_STREQ("", SettingsKeyPath());
    SaveSettings();
    EXPECT_TRUE(simwin::RegistryWrites().empty());
}

} // namespace
