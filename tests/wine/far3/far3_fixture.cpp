#include "far3_fixture.h"

#include <algorithm>

namespace far3test {
namespace {

struct LoadedPlugin {
    std::string error; // empty once loaded
    std::wstring path;
    far3host::PluginExports exports{};
    std::vector<far3host::Text> messages; // "m<id>" for every message of the language file
};

// The DLL, loaded once for the process as FAR keeps it: its table of hidden windows and count of
// open panels live across the tests.
const LoadedPlugin& Velumo() {
    static const LoadedPlugin plugin = [] {
        LoadedPlugin loaded;
        const std::string path = harness::BesideProgram(VELUMO_FAR3_DLL_RELATIVE_PATH);
        loaded.path = Widen(path);
        far3host::LanguageFile language;
        const std::string lng = path.substr(0, path.find_last_of("\\/") + 1) + "VelumoEng.lng";
        if (!far3host::LoadLanguageFile(lng, &language)) {
            loaded.error = "cannot read " + lng;
        } else if (far3host::LoadPlugin(loaded.path, &loaded.exports, &loaded.error)) {
            for (size_t id = 0; id < language.messages.size(); ++id) {
                loaded.messages.push_back(Msg(static_cast<int>(id)));
            }
        }
        if (!loaded.error.empty()) {
            loaded.error += " (the FAR 3 Velumo.dll expected at " + path + ")";
        }
        return loaded;
    }();
    return plugin;
}

// Fails the test on each thing the stand-in saw that FAR would warn about, refuse or not survive.
void ExpectNoAnomaly(const char* when) {
    for (const far3host::AnomalyRecord& seen : far3host::Anomalies()) {
        ADD_FAILURE() << when << ", the host saw anomaly " << static_cast<int>(seen.anomaly)
                      << " (detail " << seen.detail << ")";
    }
}

} // namespace

void Far3Test::SetUp() {
    DesktopTest::SetUp();
    ASSERT_TRUE(Velumo().error.empty()) << Velumo().error;
    StartFar3({});
}

void Far3Test::TearDown() {
    far3host::ExitFar();
    ExpectNoAnomaly("by the end of the test");
    EXPECT_EQ(0u, far3host::OpenSettingsHandles()) << "settings handles never freed";
    EXPECT_EQ(0u, far3host::OpenDialogs()) << "dialogs never freed";
    DesktopTest::TearDown();
}

void Far3Test::StartFar3(const std::vector<far3host::StoredSetting>& settings) {
    far3host::ExitFar();
    ExpectNoAnomaly("before the start");
    ASSERT_TRUE(far3host::Anomalies().empty());
    if (!far3host::Start(Velumo().exports, Velumo().messages, settings, Velumo().path)) {
        ExpectNoAnomaly("FAR refused the plug-in");
        FAIL() << "FAR refused the plug-in";
    }
}

void Far3Test::RestartPlugin() {
    StartFar3(far3host::StoredSettings());
}

std::vector<ListedItem> Far3Test::OwnItems() {
    std::vector<ListedItem> own;
    for (const ListedItem& item : far3host::ListPanel(far3host::ActivePanel())) {
        if (!item.isDots && IsOwnWindow(WindowOf(item))) {
            own.push_back(item);
        }
    }
    return own;
}

void Far3Test::Select(const std::vector<HWND>& windows) {
    const std::vector<ListedItem>& items = far3host::PanelAt(far3host::ActivePanel()).items;
    std::vector<size_t> indices;
    for (HWND window : windows) {
        for (size_t i = 0; i < items.size(); ++i) {
            if (!items[i].isDots && WindowOf(items[i]) == window) {
                indices.push_back(i);
            }
        }
    }
    ASSERT_EQ(windows.size(), indices.size()) << "a window to select is not listed";
    far3host::SelectItems(indices);
    far3host::SetCursor(0); // "..": what counts is the selection
}

intptr_t Far3Test::ConfigureClicking(const std::vector<int>& labels, bool confirm) {
    far3host::Configure();
    if (far3host::DialogCalls().empty()) {
        ADD_FAILURE() << "ConfigureW ran no dialog";
        return -1;
    }
    const far3host::DialogCall dialog = far3host::DialogCalls().back();
    far3host::DialogAnswer answer;
    answer.result = ItemLabelled(dialog, confirm ? 0 : 1);
    for (int id : labels) {
        const intptr_t at = ItemLabelled(dialog, id);
        if (at >= 0) {
            const bool checked = dialog.items[static_cast<size_t>(at)].item.Selected != 0;
            answer.checks.push_back({static_cast<size_t>(at), checked ? 0 : 1});
        }
    }
    far3host::QueueDialogAnswer(answer);
    return far3host::Configure();
}

void ExpectListed(const char* file, int line, const std::vector<ListedItem>& items, HWND window,
                  const wchar_t* status) {
    // "status|handle text|title;" for each item of the window
    std::wstring seen, expected;
    for (const ListedItem& item : items) {
        if (WindowOf(item) == window) {
            const bool columns = item.customColumns.size() >= 2;
            seen += (columns ? item.customColumns[0] + L"|" + item.customColumns[1] : L"?") + L"|" +
                    item.fileName + L";";
        }
    }
    if (status != nullptr) {
        expected = status + (L"|" + Widen(HandleText(window))) + L"|" + WholeTitleOf(window) + L";";
    }
    const auto shown = [](const std::wstring& text) {
        const std::wstring cut = text.substr(0, 60);
        return Printable(std::string(cut.begin(), cut.end())) + " (" + std::to_string(text.size()) +
               " units)";
    };
    if (seen != expected) {
        ADD_FAILURE_AT(file, line) << Named(window) << ": expected \"" << shown(expected)
                                   << "\", seen \"" << shown(seen) << "\"";
    }
}

intptr_t ItemLabelled(const far3host::DialogCall& dialog, int id) {
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        if (dialog.items[i].data == Msg(id)) {
            return static_cast<intptr_t>(i);
        }
    }
    ADD_FAILURE() << "the dialog has no item labelled " << Msg(id);
    return -1;
}

far3host::StoredSetting Setting(const wchar_t* name, unsigned long long value) {
    far3host::SettingValue number;
    number.type = far3::FST_QWORD;
    number.number = value;
    return far3host::StoredSetting{far3::PSL_ROAMING, name, number};
}

HWND WindowOf(const ListedItem& item) {
    return static_cast<HWND>(item.userData.Data);
}

std::wstring Msg(int id) {
    return L"m" + std::to_wstring(id);
}

ProgramColumns ProgramOf(const std::wstring& path, DWORD processId) {
    return {path, path.substr(path.find_last_of(L"\\/") + 1), std::to_wstring(processId)};
}

ProgramColumns OwnProgram() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_TRUE(length > 0 && length < MAX_PATH) << "GetModuleFileNameW: error " << GetLastError();
    return ProgramOf(path, GetCurrentProcessId());
}

} // namespace far3test
