// The FAR 1.x plug-in's settings in the real registry, taken over once into FAR's own store (one
// FST_QWORD per name, committed at SCTL_FREE); the registry is never written.
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

class Far3Settings : public Far3Test {
  protected:
    void SetUp() override {
        Far3Test::SetUp();
        ASSERT_FALSE(KeyExists(kOldKey)) << "HKCU\\" << kOldKey << " would be taken over";
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kOldKey);
        Far3Test::TearDown();
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

TEST_F(Far3Settings, RegistryValuesAreTakenOverOnceAndNeverWritten) {
    const char* const names[] = {"AddToDisksMenu",  "DisksMenuDigit",      "ShowDesktopIcon",
                                 "ShowOwnerWindow", "ShowInvisibleWindow", "ShowAllWindowAtExit"};
    const DWORD values[] = {0, 3, 0, 1, 1, 0};
    for (size_t i = 0; i < std::size(names); ++i) {
        SeedValue(kOldKey, names[i], StoredDword(values[i]));
    }
    const std::map<std::string, StoredValue> seeded = StoredValues(kOldKey);

    StartFar3({});
    const Values takenOver = {0, 0, 1, 1, 0};
    EXPECT_EQ(takenOver, Stored());
    EXPECT_EQ(5u, StoredSettings().size()) << "five values, no DisksMenuDigit";
    EXPECT_EQ(seeded, StoredValues(kOldKey)) << "the registry is read, not written";
    EXPECT_EQ(takenOver, ShownByDialog());

    // Once the store holds Velumo's values, the registry is not read again.
    SeedValue(kOldKey, "ShowOwnerWindow", StoredDword(0));
    const std::map<std::string, StoredValue> changed = StoredValues(kOldKey);
    RestartPlugin();
    EXPECT_EQ(takenOver, ShownByDialog()) << "from the store";
    EXPECT_EQ(changed, StoredValues(kOldKey));
    EXPECT_FALSE(KeyExists("Software\\Far\\Plugins\\Velumo")) << "the FAR 1.x key was made";
}

} // namespace
} // namespace far3test
