#include "far1_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace winetest {

namespace {

constexpr char kTestsRoot[] = "Software\\VelumoWineTests";

struct LoadedPlugin {
    bool attempted = false;
    std::string error; // empty once loaded
    std::string dllPath;
    far1host::PluginExports exports{};
    std::vector<std::string> messages;
};

// Velumo.dll of this build and the language file beside it, loaded once for the process: the
// DLL stays loaded, as in FAR, so its table of hidden windows lives across the tests.
LoadedPlugin& Velumo() {
    static LoadedPlugin plugin;
    if (plugin.attempted) {
        return plugin;
    }
    plugin.attempted = true;
    plugin.dllPath = harness::BesideProgram(VELUMO_DLL_RELATIVE_PATH);
    harness::LoadVelumo(plugin.dllPath, &plugin.exports, &plugin.messages, &plugin.error);
    return plugin;
}

// Takes `value` out of `list`; false when it is not there.
template <typename Value> bool Forget(std::vector<Value>* list, Value value) {
    auto at = std::find(list->begin(), list->end(), value);
    if (at == list->end()) {
        return false;
    }
    list->erase(at);
    return true;
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

bool operator==(const StoredValue& a, const StoredValue& b) {
    return a.present == b.present && a.type == b.type && a.data == b.data;
}

void PrintTo(const StoredValue& value, std::ostream* out) {
    if (!value.present) {
        *out << "(no value)";
        return;
    }
    *out << "type " << value.type << " (REG_SZ 1, REG_BINARY 3, REG_DWORD 4, REG_QWORD 11), "
         << value.data.size() << " bytes {";
    for (size_t i = 0; i < value.data.size(); ++i) {
        char byte[8];
        snprintf(byte, sizeof(byte), "%s%02X", i ? " " : "", value.data[i]);
        *out << byte;
    }
    *out << "}";
}

StoredValue StoredDword(DWORD value) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&value);
    return StoredValue{true, REG_DWORD, std::vector<uint8_t>(bytes, bytes + sizeof value)};
}

// ---- fixture ----------------------------------------------------------------------------------

void Far1Test::SetUp() {
    DesktopTest::SetUp();
    const LoadedPlugin& plugin = Velumo();
    ASSERT_TRUE(plugin.error.empty())
        << plugin.error << " (Velumo.dll expected at " << plugin.dllPath << ")";
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

void Far1Test::SeedValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
    ASSERT_EQ(ERROR_SUCCESS, created) << "RegCreateKeyExA " << SettingsKey();
    LONG set = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, set) << "RegSetValueExA " << name;
}

void Far1Test::SeedDword(const char* name, DWORD value) {
    SeedValue(name, REG_DWORD, &value, sizeof(value));
}

StoredValue Far1Test::ReadStored(const char* name) const {
    StoredValue stored;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return stored;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.data.resize(size);
        DWORD read = size;
        if (RegQueryValueExA(key, name, nullptr, &stored.type, size ? stored.data.data() : nullptr,
                             &read) == ERROR_SUCCESS) {
            stored.present = true;
            stored.data.resize(read);
        }
    }
    RegCloseKey(key);
    return stored;
}

std::vector<std::string> Far1Test::StoredValueNames() const {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof(name);
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

bool Far1Test::KeyExists(const std::string& path) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
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

HANDLE Far1Test::OpenInActivePanel() {
    HANDLE panel = far1host::OpenInActivePanel(far1::OPEN_PLUGINSMENU);
    EXPECT_NE(INVALID_HANDLE_VALUE, panel) << "OpenPlugin failed";
    PumpMessages();
    return panel;
}

HANDLE Far1Test::TypeCommand(const std::string& command) {
    HANDLE panel = far1host::TypeCommand(command);
    EXPECT_NE(nullptr, panel) << "the host found no plug-in for \"" << Printable(command) << "\"";
    EXPECT_NE(INVALID_HANDLE_VALUE, panel) << "OpenPlugin from the command line failed";
    PumpMessages();
    return panel;
}

int Far1Test::EnterDirectory(const std::string& directory) {
    int result = far1host::EnterDirectory(directory);
    PumpMessages();
    return result;
}

void Far1Test::ClosePanel(HANDLE panel) {
    ASSERT_TRUE(Forget(&openPanels_, panel)) << "closing a panel that is not open";
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
        return ShownSettings{-1, "?", -1, -1, -1, -1};
    }
    const std::vector<far1::FarDialogItem>& items = calls[0].items;
    std::string digit(items[2].Data, strnlen(items[2].Data, sizeof(items[2].Data)));
    return ShownSettings{items[1].Selected, digit,
                         items[5].Selected, items[6].Selected,
                         items[7].Selected, items[8].Selected};
}

// ---- helpers ----------------------------------------------------------------------------------

std::vector<far1::PluginPanelItem>
PanelItemsOf(const std::vector<const far1host::ListedItem*>& items) {
    std::vector<far1::PluginPanelItem> copies;
    for (const far1host::ListedItem* item : items) {
        if (item == nullptr) {
            ADD_FAILURE() << "an item to hand over is not listed";
            continue;
        }
        copies.push_back(far1host::PanelItemFrom(*item));
    }
    return copies;
}

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
    if (times != 1) {
        ADD_FAILURE_AT(file, line) << Named(window) << ": expected listed once, seen " << times;
        return;
    }
    const far1host::ListedItem& found = *std::find_if(items.begin(), items.end(), listed);
    if (found.status != status || found.handleText != HandleText(window) ||
        found.customColumnNumber != 2) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected status \"" << status
            << "\", its handle text, 2 columns; seen \"" << found.status << "\", \""
            << found.handleText << "\", " << found.customColumnNumber;
    }
}

void ExpectNotListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                     HWND window) {
    const far1host::ListedItem* found = FindItem(items, window);
    if (found != nullptr) {
        ADD_FAILURE_AT(file, line) << Named(window) << ": expected not listed, seen with status \""
                                   << found->status << "\"";
    }
}

} // namespace winetest
