#include "far1_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace winetest {

namespace {

constexpr char kTestsRoot[] = "Software\\VelumoWineTests";

struct LoadedPlugin {
    std::string error; // empty once loaded
    far1host::PluginExports exports{};
    std::vector<std::string> messages;
};

// Velumo.dll of this build and the language file beside it, loaded once for the process: the
// DLL stays loaded, as in FAR, so its table of hidden windows lives across the tests.
const LoadedPlugin& Velumo() {
    static const LoadedPlugin plugin = [] {
        LoadedPlugin loaded;
        const std::string path = harness::BesideProgram(VELUMO_DLL_RELATIVE_PATH);
        if (!harness::LoadVelumo(path, &loaded.exports, &loaded.messages, &loaded.error)) {
            loaded.error += " (Velumo.dll expected at " + path + ")";
        }
        return loaded;
    }();
    return plugin;
}

// Every panel the plug-in opens for the test is closed in TearDown.
HANDLE Opened(HANDLE panel, const char* how, std::vector<HANDLE>* openPanels) {
    EXPECT_NE(INVALID_HANDLE_VALUE, panel) << "OpenPlugin " << how << " failed";
    if (panel != INVALID_HANDLE_VALUE && panel != nullptr) {
        openPanels->push_back(panel);
    }
    return panel;
}

} // namespace

// ---- fixture ----------------------------------------------------------------------------------

void Far1Test::SetUp() {
    DesktopTest::SetUp();
    ASSERT_TRUE(Velumo().error.empty()) << Velumo().error;
    RegDeleteTreeA(HKEY_CURRENT_USER, RootKey().c_str()); // left over by an aborted run
    ASSERT_FALSE(KeyExists(RootKey())) << "cannot clear " << RootKey();
}

void Far1Test::TearDown() {
    far1host::ClosePanels();
    while (!openPanels_.empty()) {
        ClosePanel(openPanels_.back());
    }
    DesktopTest::TearDown();
    RegDeleteTreeA(HKEY_CURRENT_USER, RootKey().c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsRoot); // only once no other test's key is left
}

const far1host::PluginExports& Far1Test::Plugin() const {
    return Velumo().exports;
}

std::string Far1Test::RootKey() const {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(kTestsRoot) + "\\" + test->test_suite_name() + "." + test->name();
}

std::string Far1Test::SettingsKey() const {
    return RootKey() + "\\Velumo";
}

void Far1Test::SeedDword(const char* name, DWORD value) {
    SeedValue(SettingsKey(), name, StoredDword(value));
}

std::map<std::string, StoredValue> Far1Test::Stored() const {
    return StoredValues(SettingsKey());
}

void Far1Test::StartFar1() {
    far1host::Start(Plugin(), Velumo().messages, RootKey());
}

HANDLE Far1Test::OpenPanel() {
    return Opened(Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0), "from the plug-ins menu",
                  &openPanels_);
}

HANDLE Far1Test::OpenFromCommandLine(const std::string& ansiText) {
    return Opened(far1host::OpenFromCommandLine(ansiText), "from the command line", &openPanels_);
}

HANDLE Far1Test::OpenFromCommandLineOem(const std::string& oemText) {
    return Opened(far1host::OpenFromCommandLineOem(oemText), "from the command line", &openPanels_);
}

void Far1Test::ClosePanel(HANDLE panel) {
    const auto open = std::find(openPanels_.begin(), openPanels_.end(), panel);
    ASSERT_TRUE(open != openPanels_.end()) << "closing a panel that is not open";
    openPanels_.erase(open);
    Plugin().ClosePlugin(panel);
    PumpMessages();
}

std::vector<far1host::ListedItem> Far1Test::OwnItems(HANDLE panel) {
    std::vector<far1host::ListedItem> own;
    for (const far1host::ListedItem& item : far1host::ListPanel(panel)) {
        if (IsOwnWindow(WindowOf(item))) {
            own.push_back(item);
        }
    }
    return own;
}

ShownSettings Far1Test::SettingsShownByDialog() {
    far1host::ClearRecords();
    EXPECT_EQ(0, Plugin().Configure(0)) << "the dialog closed with Esc must report no change";
    const std::vector<far1host::DialogCall>& calls = far1host::DialogCalls();
    EXPECT_EQ(1u, calls.size()) << "Configure(0) runs one dialog";
    if (calls.size() != 1 || calls[0].items.size() != 12) {
        ADD_FAILURE() << "the configuration dialog has 12 items";
        return {};
    }
    const std::vector<far1::FarDialogItem>& items = calls[0].items;
    ShownSettings shown;
    for (size_t index : {1, 2, 5, 6, 7, 8}) {
        const far1::FarDialogItem& item = items[index];
        shown.push_back(index == 2 ? std::string(item.Data, strnlen(item.Data, sizeof item.Data))
                                   : std::to_string(item.Selected));
    }
    return shown;
}

// ---- helpers ----------------------------------------------------------------------------------

HWND WindowOf(const far1host::ListedItem& item) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(item.userData));
}

const far1host::ListedItem* FindItem(const std::vector<far1host::ListedItem>& items, HWND window) {
    for (const far1host::ListedItem& item : items) {
        if (WindowOf(item) == window) {
            return &item;
        }
    }
    return nullptr;
}

void ExpectListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                  HWND window, const char* status) {
    const auto listed = [window](const far1host::ListedItem& item) {
        return WindowOf(item) == window;
    };
    const auto times = std::count_if(items.begin(), items.end(), listed);
    if (times != (status != nullptr ? 1 : 0)) {
        ADD_FAILURE_AT(file, line) << Named(window) << ": expected listed "
                                   << (status != nullptr ? "once" : "never") << ", seen " << times;
        return;
    }
    const auto found = std::find_if(items.begin(), items.end(), listed);
    if (found != items.end() && (found->status != status || found->customColumnNumber != 2 ||
                                 found->handleText != HandleText(window))) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected status \"" << status
            << "\", its handle text, 2 columns; seen \"" << found->status << "\", \""
            << found->handleText << "\", " << found->customColumnNumber;
    }
}

} // namespace winetest
