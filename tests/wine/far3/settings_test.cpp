// The settings in FAR's own store (one FST_QWORD per name, committed at SCTL_FREE): loaded at
// start-up, edited in the configuration dialog, taken over once from the FAR 1.x plug-in's
// registry key, and the defaults when the store cannot be opened.
#include "far3_fixture.h"

#include <iterator>

namespace far3test {
namespace {

using namespace far3host;

constexpr char kOldKey[] = "Software\\Far Manager\\Plugins\\Velumo";
// The check boxes by their labels, in the order of the names below.
const int kCheckBoxMessages[] = {11, 13, 14, 15, 16};
const wchar_t* const kNames[] = {L"AddToDisksMenu", L"ShowDesktopIcon", L"ShowOwnerWindow",
                                 L"ShowInvisibleWindow", L"ShowAllWindowAtExit"};
using Values = std::vector<unsigned long long>;

// Every value of HKCU\<kOldKey> as "Name=type:bytes"; "(no key)" when it does not exist.
std::string RegistrySnapshot() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOldKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "(no key)";
    }
    std::string snapshot;
    char name[256];
    BYTE data[64];
    for (DWORD index = 0, length = sizeof name, type = 0, size = sizeof data;
         RegEnumValueA(key, index, name, &length, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++index, length = sizeof name, size = sizeof data) {
        snapshot += std::string(name, length) + "=" + std::to_string(type) + ":";
        for (DWORD i = 0; i < size; ++i) {
            snapshot += std::to_string(data[i]) + " ";
        }
    }
    RegCloseKey(key);
    return snapshot;
}

// SetStartupInfoW of the DLL with FAR's settings store failing to open: the stand-in's Start
// clears its failure switches before it calls the export.
void WINAPI StartupWithoutStore(const far3::PluginStartupInfo* info) {
    FailSettingsCreate(true);
    Far3Test::LoadedExports().SetStartupInfoW(info);
    FailSettingsCreate(false);
}

class Far3Settings : public Far3Test {
  protected:
    void SetUp() override {
        Far3Test::SetUp();
        ASSERT_EQ("(no key)", RegistrySnapshot()) << "HKCU\\" << kOldKey << " would be taken over";
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kOldKey);
        Far3Test::TearDown();
    }

    void SeedRegistry(const char* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kOldKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        LONG set = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value);
        RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, set) << name;
    }

    // The five values of the store, 99 for a missing one.
    static Values Stored() {
        Values values;
        for (const wchar_t* name : kNames) {
            std::optional<SettingValue> value = ReadSetting(far3::PSL_ROAMING, name);
            values.push_back(value && value->type == far3::FST_QWORD ? value->number : 99);
        }
        return values;
    }

    // The check boxes' states as the dialog shows them; the dialog is left with Esc (the boxes
    // clicked meanwhile) and must change nothing.
    Values ShownByDialog() {
        const Values before = Stored();
        EXPECT_EQ(0, Configure()) << "Esc reports no change";
        EXPECT_EQ(before, Stored()) << "Esc wrote to the store";
        Values shown;
        if (DialogCalls().empty()) {
            ADD_FAILURE() << "ConfigureW ran no dialog";
            return shown;
        }
        const DialogCall& dialog = DialogCalls().back();
        for (int id : kCheckBoxMessages) {
            const intptr_t at = ItemLabelled(dialog, id);
            shown.push_back(at < 0 ? 99 : dialog.items[static_cast<size_t>(at)].item.Selected);
        }
        return shown;
    }
};

TEST_F(Far3Settings, DialogWritesTheStoreAndARestartLoadsIt) {
    HWND invisible = MakeWindowW(L"Невидимое окно", kInvisibleWindow);
    EXPECT_TRUE(StoredSettings().empty()) << "the defaults are not written";
    EXPECT_EQ((Values{1, 1, 0, 0, 1}), ShownByDialog());
    EXPECT_EQ(0, ConfigureClicking({11, 14, 15}, false)) << "Cancel reports no change";
    EXPECT_TRUE(StoredSettings().empty());

    // The user clears "Add to disks menu", ticks the owner and invisible boxes and presses OK.
    EXPECT_EQ(1, ConfigureClicking({11, 14, 15}, true)) << "OK reports the change";
    const DialogCall& dialog = DialogCalls().back();
    EXPECT_TRUE(memcmp(&dialog.pluginId, &PluginGuid(), sizeof(GUID)) == 0);
    EXPECT_EQ(L"VelumoCfg", dialog.helpTopic);
    const Values confirmed = {0, 1, 1, 1, 1};
    EXPECT_EQ(confirmed, Stored());

    // A restart loads the store: the dialog, the disks menu and the listing follow it.
    RestartPlugin();
    EXPECT_EQ(confirmed, ShownByDialog());
    EXPECT_TRUE(ReadPluginInfo().diskMenu.strings.empty()) << "AddToDisksMenu 0";
    ASSERT_NE(nullptr, OpenInActivePanel());
    EXPECT_LISTED(OwnItems(), invisible, L"H   ");
    EXPECT_EQ(confirmed, Stored());
}

TEST_F(Far3Settings, RegistryValuesAreTakenOverOnceAndNeverWritten) {
    const char* const names[] = {"AddToDisksMenu",  "DisksMenuDigit",      "ShowDesktopIcon",
                                 "ShowOwnerWindow", "ShowInvisibleWindow", "ShowAllWindowAtExit"};
    const DWORD values[] = {0, 3, 0, 1, 1, 0};
    for (size_t i = 0; i < std::size(names); ++i) {
        SeedRegistry(names[i], values[i]);
    }
    const std::string seeded = RegistrySnapshot();

    StartFar1({});
    const Values takenOver = {0, 0, 1, 1, 0};
    EXPECT_EQ(takenOver, Stored());
    EXPECT_EQ(5u, StoredSettings().size()) << "five values, no DisksMenuDigit";
    EXPECT_EQ(seeded, RegistrySnapshot()) << "the registry is read, not written";
    EXPECT_EQ(takenOver, ShownByDialog());

    // Once the store holds Velumo's values, the registry is not read again.
    SeedRegistry("ShowOwnerWindow", 0);
    const std::string changed = RegistrySnapshot();
    RestartPlugin();
    EXPECT_EQ(takenOver, ShownByDialog()) << "from the store";
    EXPECT_EQ(changed, RegistrySnapshot());
    HKEY far1Key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Velumo", 0,
                                           KEY_READ, &far1Key))
        << "the FAR 1.x key was made";
}

TEST_F(Far3Settings, StoreThatCannotBeOpenedGivesTheDefaults) {
    std::vector<StoredSetting> seeded;
    for (const wchar_t* name : kNames) {
        seeded.push_back(Setting(name, 0));
    }
    PluginExports failing = LoadedExports();
    failing.SetStartupInfoW = StartupWithoutStore;
    StartFar1(seeded, failing);
    EXPECT_EQ((Values{1, 1, 0, 0, 1}), ShownByDialog());
    EXPECT_EQ(1u, ReadPluginInfo().diskMenu.strings.size()) << "AddToDisksMenu at its default";
}

} // namespace
} // namespace far3test
