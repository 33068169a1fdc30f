// The FAR 1.x demo: Velumo.dll of the FAR 1.x (ANSI) front end in the FAR 1.x stand-in
// (far1host), which keeps FAR's two panels and orders the plug-in's calls as FAR does. Window
// titles are in the ANSI code page (1252); the panel shows them converted to the OEM code page,
// and the pictures convert that to UTF-8. The settings live under a demo root key of the
// registry that is deleted at the end.
#include "demo_common.h"
#include "far1_view.h"

#include <cstring>

namespace demo {
namespace {

constexpr char kDemoKey[] = "Software\\VelumoDemo";
constexpr char kRootKey[] = "Software\\VelumoDemo\\Far\\Plugins"; // FAR's plug-in root key
constexpr int kVkF8 = 0x77;
constexpr char kCafeNotesAnsi[] = "Caf\xE9 notes"; // in the ANSI code page, as windows hold it

std::vector<far1host::ListedItem> g_shownItems; // the items of the last picture

// A window title or command (ANSI code page) as UTF-8 for the terminal.
std::string AnsiToUtf8(const std::string& ansi) {
    return panelview::Utf16ToUtf8(AnsiToWide(ansi).c_str());
}

HWND WindowOf(const far1host::ListedItem& item) {
    return reinterpret_cast<HWND>(item.userData);
}

HWND MakeWindow(const char* title, DWORD style, HWND owner = nullptr, DWORD exStyle = 0) {
    static int slot = 0;
    HWND window = harness::MakeWindow(title, style, owner, exStyle, slot++);
    harness::PumpMessages();
    return window;
}

bool CreateSampleWindows() {
    // Made bottom first: each window made goes on top, so the panel lists them top down.
    const DWORD shown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    HWND desktopIcons = MakeWindow("Program Manager", shown);
    HWND background = MakeWindow("Background worker", WS_OVERLAPPEDWINDOW);
    HWND cafeNotes = MakeWindow(kCafeNotesAnsi, shown);
    HWND finalReport = MakeWindow("Final Report", shown);
    HWND reportOne = MakeWindow("Report one", shown);
    HWND palette =
        MakeWindow("Palette", WS_POPUP | WS_CAPTION | WS_VISIBLE, reportOne, WS_EX_TOOLWINDOW);
    bool made = AddSample("Report one", "visible", reportOne);
    made = AddSample("Final Report", "visible", finalReport) && made;
    made =
        AddSample(AnsiToUtf8(kCafeNotesAnsi), "visible; a title outside ASCII", cafeNotes) && made;
    made = AddSample("Palette", "tool window owned by Report one", palette) && made;
    made = AddSample("Background worker", "never shown", background) && made;
    return AddSample("Program Manager", "visible; the title of the desktop's own window on Windows",
                     desktopIcons) &&
           made;
}

// The Velumo instance the active panel shows; null while it is a file panel.
HANDLE ActiveVelumo() {
    return far1host::PanelAt(far1host::ActivePanel()).plugin;
}

// Rereads and draws the panel. The cursor stays on the item it was on, as FAR keeps it on the
// same name after a reread; a null `cursor` puts it on "..".
void ShowPanel(HWND cursor, bool numbered) {
    HANDLE panel = ActiveVelumo();
    far1::OpenPluginInfo info;
    memset(&info, 0, sizeof(info));
    far1host::Plugin().GetOpenPluginInfo(panel, &info);
    std::vector<far1host::ListedItem> listed = far1host::ListPanel(panel);
    std::vector<ShownRow> rows;
    panelview::PanelViewOptions options;
    g_shownItems.clear();
    for (const far1host::ListedItem& item : listed) {
        if (IsSample(WindowOf(item))) {
            g_shownItems.push_back(item);
            rows.push_back(ShownRow{WindowOf(item), item.status});
            options.currentItem =
                WindowOf(item) == cursor ? static_cast<int>(rows.size()) : options.currentItem;
        }
    }
    options.width = panelview::kDefaultScreenWidth;
    options.numbered = numbered;
    Write(panelview::RenderPanel(far1host::DescribePanel(info, g_shownItems), options));
    KeepPicture(rows, listed.size() - g_shownItems.size());
}

std::vector<far1::PluginPanelItem> ShownItems(const std::vector<HWND>& windows) {
    std::vector<far1::PluginPanelItem> items;
    for (HWND window : windows) {
        for (const far1host::ListedItem& item : g_shownItems) {
            if (WindowOf(item) == window) {
                items.push_back(far1host::PanelItemFrom(item));
            }
        }
    }
    return items;
}

bool OpenFromPluginsMenu() {
    if (far1host::OpenInActivePanel(far1::OPEN_PLUGINSMENU) == INVALID_HANDLE_VALUE) {
        Write("Velumo did not open its panel.\n");
        return false;
    }
    return true;
}

// FAR's command line, typed in the active panel: a command starting with the plug-in's prefix
// and a colon opens the plug-in with the text after the colon (in the OEM code page). When the
// active panel shows Velumo, FAR opens the new instance first, then closes the old one.
bool RunCommandLine(const std::string& command) {
    HANDLE previous = ActiveVelumo();
    HANDLE panel = nullptr;
    Watched([&] { panel = far1host::TypeCommand(command); });
    if (panel == nullptr || panel == INVALID_HANDLE_VALUE) {
        Write(panel == nullptr ? "No plug-in takes the command \"" + command + "\".\n"
                               : "Velumo did not open its panel.\n");
        return false;
    }
    Write("   " + AnsiToUtf8(command) + ": OpenPlugin(OPEN_COMMANDLINE, \"" +
          AnsiToUtf8(command.substr(command.find(':') + 1)) + "\")" +
          (previous != nullptr ? ", then ClosePlugin of the panel's previous instance" : "") +
          "\n");
    return true;
}

// The terminal's UTF-8 goes on the command line in the ANSI code page, as FAR 1.x takes it.
bool HideCommand(const std::string& utf8) {
    std::wstring wide;
    BOOL lossy = FALSE;
    const bool valid = Utf8ToWide(utf8, &wide);
    const int size = static_cast<int>(wide.size());
    int length = valid && !wide.empty()
                     ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                           0, nullptr, &lossy)
                     : 0;
    if (!valid || (!wide.empty() && (length <= 0 || lossy))) {
        Write("The text is not UTF-8 or has letters the ANSI code page lacks; nothing was "
              "typed.\n");
        return false;
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, &ansi[0], length,
                            nullptr, nullptr);
    }
    return RunCommandLine("hide:" + ansi);
}

// F8: FAR offers the key to the plug-in first, then deletes the selected items through it.
void PressF8(const std::vector<HWND>& windows) {
    HANDLE panel = ActiveVelumo();
    std::vector<far1::PluginPanelItem> selection = ShownItems(windows);
    Watched([&] {
        if (!far1host::PressKey(panel, kVkF8, 0)) {
            far1host::Plugin().DeleteFiles(panel, selection.data(),
                                           static_cast<int>(selection.size()), 0);
        }
    });
}

// F3 (or Alt+F3): the plug-in asks the host for the selection, the item under the cursor.
void PressF3(HWND window, bool alt) {
    HANDLE panel = ActiveVelumo();
    std::vector<far1::PluginPanelItem> item = ShownItems({window});
    if (!item.empty()) {
        far1host::SetPanelSelection(item);
        Watched([&] {
            far1host::PressKey(panel, VK_F3, alt ? static_cast<unsigned int>(far1::PKF_ALT) : 0u);
        });
    }
}

// F9 > Options > Plugins configuration; the simulated user closes the dialog with Esc.
void ShowConfiguration() {
    far1host::ClearRecords();
    int result = far1host::Plugin().Configure(0);
    if (far1host::DialogCalls().empty()) {
        Check("Velumo showed no dialog.", false);
        return;
    }
    const far1host::DialogCall& call = far1host::DialogCalls().back();
    Write(panelview::RenderDialog(far1host::DescribeDialog(call.items), call.x2, call.y2));
    Write("   Dialog(" + std::to_string(call.x1) + ", " + std::to_string(call.y1) + ", " +
          std::to_string(call.x2) + ", " + std::to_string(call.y2) + ", \"" + call.helpTopic +
          "\", " + std::to_string(call.items.size()) + " items); Esc; Configure returned " +
          std::to_string(result) + ": nothing saved\n");
}

std::string FilePanelText() {
    const far1host::HostPanel& filePanel = far1host::PanelAt(far1host::ActivePanel());
    return filePanel.driveMenuShown ? std::string("Change drive menu") : filePanel.folder;
}

// Enter on "..": the plug-in asks the host to close the panel, FAR closes it and shows the
// folder the panel had before Velumo opened.
bool LeavePanel() {
    HANDLE panel = ActiveVelumo();
    far1host::ClearRecords();
    Watched([] { far1host::EnterDirectory(".."); });
    const far1host::ControlCall* close = nullptr;
    for (const far1host::ControlCall& call : far1host::ControlCalls()) {
        close = call.plugin == panel && call.command == far1::FCTL_CLOSEPLUGIN ? &call : close;
    }
    if (close == nullptr || ActiveVelumo() != nullptr) {
        Write("Velumo did not ask FAR to close the panel on \"..\".\n");
        return false;
    }
    Write(
        std::string("   Enter on \"..\": Velumo asked FAR to close the panel (FCTL_CLOSEPLUGIN, ") +
        (close->hasParam ? "\"" + close->directory + "\"" : std::string("no directory")) +
        "); ClosePlugin; the file panel shows " +
        (far1host::PanelAt(far1host::ActivePanel()).driveMenuShown ? "the " : "") +
        FilePanelText() + "\n");
    return true;
}

void SwitchPanel() {
    far1host::SetActivePanel(far1host::ActivePanel() == far1host::kLeftPanel
                                 ? far1host::kRightPanel
                                 : far1host::kLeftPanel);
}

const FrontEnd kFrontEnd = {
    [] { return ActiveVelumo() != nullptr; },
    OpenFromPluginsMenu,
    ShowPanel,
    PressF8,
    PressF3,
    HideCommand,
    SwitchPanel,
    ShowConfiguration,
    LeavePanel,
    FilePanelText,
    nullptr,
    "TEXT is UTF-8 from the terminal; FAR 1.x takes it in the ANSI code page"};

std::vector<Step> Script(const std::string& menuEntry) {
    const std::string cafe = AnsiToUtf8(kCafeNotesAnsi);
    return {
        {"F11 > \"" + menuEntry +
             "\": the desktop's windows; the owned tool window and the never-shown one are left "
             "out",
         "list", "Report one", "status:Report one=    "},
        {"Insert on Final Report and " + cafe + ", then F8: Velumo hides both (status \"H  D\")",
         "f8 Final Report|" + cafe, "Final Report",
         "hidden:Final Report;hidden:" + cafe + ";status:Final Report=H  D"},
        {"type hide:Report in the Velumo panel: Report one is hidden, Final Report shown again; "
         "FAR closes the old instance, and what Velumo hid stays hidden",
         "hide Report", "",
         "hidden:Report one;visible:Final Report;hidden:" + cafe +
             ";status:Report one=H  D;status:" + cafe + "=H  D"},
        {"F3 on the hidden " + cafe + ": shown and brought to the front, still Velumo's (\"   D\")",
         "f3 " + cafe, cafe,
         "visible:" + cafe + ";front:" + cafe + ";status:" + cafe + "=   D;hidden:Report one"},
        {"F9 > Options > Plugins configuration > Velumo: the configuration dialog", "config", "",
         "hidden:Report one"},
        {std::string("Enter on \"..\": the panel closes, FAR shows ") + kStartFolder +
             " again, and Report one is shown again",
         "close", "", "visible:Report one"},
    };
}

} // namespace

int RunFar1Demo(const std::string& dllPath, bool interactive, const std::string& desktop) {
    if (!CreateSampleWindows()) {
        fprintf(stderr, "velumo_demo: cannot create the sample windows\n");
        return 1;
    }
    far1host::PluginExports plugin;
    std::vector<std::string> messages;
    std::string error;
    if (!harness::LoadVelumo(dllPath, &plugin, &messages, &error)) {
        fprintf(stderr, "velumo_demo: %s\n", error.c_str());
        return 1;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kDemoKey); // start from the default settings
    far1host::Start(plugin, messages, kRootKey, dllPath);
    far1host::ShowFolder(far1host::kLeftPanel, kStartFolder);
    far1::PluginInfo pluginInfo;
    memset(&pluginInfo, 0, sizeof(pluginInfo));
    plugin.GetPluginInfo(&pluginInfo);

    WriteIntroduction("Velumo demo: " + dllPath + " (" + (sizeof(void*) == 8 ? "x86_64" : "i686") +
                          " build) in a FAR-like host, with " + std::to_string(messages.size()) +
                          " messages from VelumoEng.lng.",
                      desktop);
    const std::string menuEntry =
        pluginInfo.PluginMenuStringsNumber > 0 ? pluginInfo.PluginMenuStrings[0] : "?";
    return RunAndFinish(kFrontEnd, interactive, Script(menuEntry), [] {
        far1host::ClosePanels();
        RegDeleteTreeA(HKEY_CURRENT_USER, kDemoKey);
    });
}

} // namespace demo
