// The settings in FAR's own store (SettingsControl, one FST_QWORD per name, committed at
// SCTL_FREE): loaded at start-up, edited in the configuration dialog (DialogInit's items read at
// the host's offsets, DM_GETCHECK), taken over once from the FAR 1.x plug-in's registry key,
// and the defaults when the store cannot be opened.
#include "far3_fixture.h"

#include <iterator>

namespace far3test {
namespace {

using namespace far3host;

constexpr char kOldKey[] = "Software\\Far Manager\\Plugins\\Velumo";

// The five settings FAR 3 keeps, as a store holds them; DisksMenuDigit has no FAR 3 counterpart.
Store StoreOf(unsigned long long addToDisksMenu, unsigned long long showDesktopIcon,
              unsigned long long showOwnerWindow, unsigned long long showInvisibleWindow,
              unsigned long long showAllWindowAtExit) {
    return {{L"AddToDisksMenu", {kFstQword, addToDisksMenu}},
            {L"ShowDesktopIcon", {kFstQword, showDesktopIcon}},
            {L"ShowOwnerWindow", {kFstQword, showOwnerWindow}},
            {L"ShowInvisibleWindow", {kFstQword, showInvisibleWindow}},
            {L"ShowAllWindowAtExit", {kFstQword, showAllWindowAtExit}}};
}

// Every value of HKCU\<kOldKey> as "Name=type:bytes"; "(no key)" when it does not exist.
std::string RegistrySnapshot() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOldKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "(no key)";
    }
    std::string snapshot;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        BYTE data[64];
        DWORD size = sizeof data;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        snapshot += std::string(name, nameLength) + "=" + std::to_string(type) + ":";
        for (DWORD i = 0; i < size; ++i) {
            snapshot += std::to_string(data[i]) + " ";
        }
        snapshot += "; ";
    }
    DWORD subkeys = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return snapshot + std::to_string(subkeys) + " subkeys";
}

class Far3Settings : public Far3Test {
  protected:
    void SetUp() override {
        Far3Test::SetUp();
        if (HasFatalFailure()) {
            return;
        }
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

    // The check boxes' initial states, by their texts m11, m13..m16, as the dialog shows the
    // settings; the dialog is left with Esc and must change nothing.
    std::vector<intptr_t> ShownByDialog() {
        const Store before = g_host.store;
        const size_t dialogs = g_host.dialogs.size();
        g_host.dialogConfirmed = false;
        g_host.checkBoxesClicked = {L"m11", L"m16"};
        EXPECT_EQ(0, Configure(kConfigMenuGuid)) << "Esc reports no change";
        EXPECT_EQ(Describe(before), Describe(g_host.store)) << "Esc wrote to the store";
        std::vector<intptr_t> shown;
        if (g_host.dialogs.size() != dialogs + 1) {
            ADD_FAILURE() << "ConfigureW ran no dialog";
            return shown;
        }
        for (const wchar_t* text : {L"m11", L"m13", L"m14", L"m15", L"m16"}) {
            for (const DialogItemSeen& item : g_host.dialogs.back().items) {
                if (item.type == kDiCheckBox && item.text == text) {
                    shown.push_back(item.selected);
                }
            }
        }
        return shown;
    }
};

TEST_F(Far3Settings, DialogWritesTheStoreAndARestartLoadsIt) {
    HWND invisible = MakeWindow(L"Невидимое окно", kInvisibleWindow);
    StartFar1();
    EXPECT_EQ("{}", Describe(g_host.store)) << "the defaults are not written";
    EXPECT_EQ(0, Configure(kPluginsMenuGuid)) << "not the configuration menu's GUID";
    EXPECT_TRUE(g_host.dialogs.empty());

    // The user clears "Add to disks menu", ticks the owner and invisible boxes and presses OK.
    g_host.checkBoxesClicked = {L"m11", L"m14", L"m15"};
    g_host.dialogConfirmed = true;
    EXPECT_EQ(1, Configure(kConfigMenuGuid)) << "OK reports the change";
    ASSERT_EQ(1u, g_host.dialogs.size());
    const DialogSeen& dialog = g_host.dialogs[0];
    EXPECT_EQ(GuidText(kConfigDialogGuid), dialog.dialogGuid);
    EXPECT_EQ(L"VelumoCfg", dialog.helpTopic);

    // The items as the host reads them: kind, text, initial state and flags.
    struct Expected {
        int type;
        const wchar_t* text;
        intptr_t selected;
        bool separator, focus, defaultButton;
    };
    const Expected expected[] = {
        {kDiDoubleBox, L"m10", 0, false, false, false},
        {kDiCheckBox, L"m11", 1, false, true, false},
        {kDiText, L"", 0, true, false, false},
        {kDiCheckBox, L"m13", 1, false, false, false},
        {kDiCheckBox, L"m14", 0, false, false, false},
        {kDiCheckBox, L"m15", 0, false, false, false},
        {kDiCheckBox, L"m16", 1, false, false, false},
        {kDiText, L"", 0, true, false, false},
        {kDiButton, L"m0", 0, false, false, true},
        {kDiButton, L"m1", 0, false, false, false},
    };
    ASSERT_EQ(std::size(expected), dialog.items.size());
    const DialogItemSeen& box = dialog.items[0];
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const DialogItemSeen& item = dialog.items[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(::testing::Message() << "item " << i);
        EXPECT_EQ(e.type, item.type);
        EXPECT_EQ(e.text, item.text);
        EXPECT_EQ(e.selected, item.selected);
        EXPECT_EQ(e.separator, (item.flags & kDifSeparator) != 0);
        EXPECT_EQ(e.focus, (item.flags & kDifFocus) != 0);
        EXPECT_EQ(e.defaultButton, (item.flags & kDifDefaultButton) != 0);
        // A centred group's X is FAR's to choose.
        const bool placed = (item.flags & kDifCenterGroup) != 0 || item.x1 >= box.x1;
        EXPECT_TRUE(placed && item.y1 >= box.y1 && item.y1 <= box.y2)
            << "at (" << item.x1 << ", " << item.y1 << "), outside the box (" << box.x1 << ", "
            << box.y1 << ")-(" << box.x2 << ", " << box.y2 << ")";
    }
    EXPECT_TRUE(dialog.x1 == -1 && dialog.y1 == -1 && box.x2 < dialog.x2 && box.y2 < dialog.y2)
        << "a centred dialog of " << dialog.x2 << " x " << dialog.y2 << " holding its box";

    const Store confirmed = StoreOf(0, 1, 1, 1, 1);
    EXPECT_EQ(Describe(confirmed), Describe(g_host.store));

    // A restart loads the store: the dialog, the disks menu and the listing follow it.
    StartFar1();
    EXPECT_EQ((std::vector<intptr_t>{0, 1, 1, 1, 1}), ShownByDialog());
    EXPECT_EQ(0u, PluginInfoRecord().Get<size_t>(kPluginInfoDiskMenu + kMenuCount))
        << "AddToDisksMenu 0";
    HANDLE panel = OpenFromPluginsMenu();
    EXPECT_LISTED(OwnItems(panel), invisible, L"H   ");
    EXPECT_EQ(Describe(confirmed), Describe(g_host.store));
}

TEST_F(Far3Settings, RegistryValuesAreTakenOverOnceAndNeverWritten) {
    SeedRegistry("AddToDisksMenu", 0);
    SeedRegistry("DisksMenuDigit", 3);
    SeedRegistry("ShowDesktopIcon", 0);
    SeedRegistry("ShowOwnerWindow", 1);
    SeedRegistry("ShowInvisibleWindow", 1);
    SeedRegistry("ShowAllWindowAtExit", 0);
    const std::string seeded = RegistrySnapshot();

    StartFar1();
    const Store takenOver = StoreOf(0, 0, 1, 1, 0);
    EXPECT_EQ(Describe(takenOver), Describe(g_host.store)) << "five values, no DisksMenuDigit";
    EXPECT_EQ(seeded, RegistrySnapshot()) << "the registry is read, not written";
    EXPECT_EQ(std::vector<intptr_t>({0, 0, 1, 1, 0}), ShownByDialog());

    // Once the store holds Velumo's values, the registry is not read again.
    SeedRegistry("ShowOwnerWindow", 0);
    const std::string changed = RegistrySnapshot();
    StartFar1();
    EXPECT_EQ(Describe(takenOver), Describe(g_host.store));
    EXPECT_EQ(std::vector<intptr_t>({0, 0, 1, 1, 0}), ShownByDialog()) << "from the store";
    EXPECT_EQ(changed, RegistrySnapshot());
    HKEY far1Key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Plugins\\Velumo", 0,
                                           KEY_READ, &far1Key))
        << "the FAR 1.x key was made";
}

TEST_F(Far3Settings, StoreThatCannotBeOpenedGivesTheDefaults) {
    g_host.store = StoreOf(0, 0, 1, 1, 0);
    g_host.storeRefuses = true;
    StartFar1();
    EXPECT_LT(0, g_host.storeOpens) << "the store was never asked for";
    EXPECT_EQ((std::vector<intptr_t>{1, 1, 0, 0, 1}), ShownByDialog());
    EXPECT_EQ(1u, PluginInfoRecord().Get<size_t>(kPluginInfoDiskMenu + kMenuCount))
        << "AddToDisksMenu at its default";
}

} // namespace
} // namespace far3test
