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
// A title with a letter outside ASCII, in the ANSI code page as windows hold titles.
constexpr char kCafeNotesAnsi[] = "Caf\xE9 notes";

// The items of the last picture, as the plug-in listed them.
std::vector<far1host::ListedItem> g_shownItems;
far1::PluginInfo g_pluginInfo;
std::string g_cafeNotes; // kCafeNotesAnsi in UTF-8

// A window title or command (ANSI code page) as UTF-8 for the terminal.
std::string AnsiToUtf8(const std::string& ansi) {
    return panelview::Utf16ToUtf8(AnsiToWide(ansi).c_str());
}

HWND WindowOf(const far1host::ListedItem& item) {
    return reinterpret_cast<HWND>(item.userData);
}

// ---- The desktop ------------------------------------------------------------------------------

HWND MakeWindow(const char* title, DWORD style, HWND owner, DWORD exStyle, int slot) {
    HWND window = harness::MakeWindow(title, style, owner, exStyle, slot);
    harness::PumpMessages();
    return window;
}

bool CreateSampleWindows() {
    // Made bottom first: each window made goes on top, so the panel lists them top down.
    const DWORD shown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    HWND desktopIcons = MakeWindow("Program Manager", shown, nullptr, 0, 0);
    HWND background = MakeWindow("Background worker", WS_OVERLAPPEDWINDOW, nullptr, 0, 1);
    HWND cafeNotes = MakeWindow(kCafeNotesAnsi, shown, nullptr, 0, 2);
    HWND finalReport = MakeWindow("Final Report", shown, nullptr, 0, 3);
    HWND reportOne = MakeWindow("Report one", shown, nullptr, 0, 4);
    HWND palette =
        MakeWindow("Palette", WS_POPUP | WS_CAPTION | WS_VISIBLE, reportOne, WS_EX_TOOLWINDOW, 5);
    g_cafeNotes = AnsiToUtf8(kCafeNotesAnsi);
    bool made = AddSample("Report one", "visible", reportOne);
    made = AddSample("Final Report", "visible", finalReport) && made;
    made = AddSample(g_cafeNotes, "visible; a title outside ASCII", cafeNotes) && made;
    made = AddSample("Palette", "tool window owned by Report one", palette) && made;
    made = AddSample("Background worker", "never shown", background) && made;
    return AddSample("Program Manager", "visible; the title of the desktop's own window on Windows",
                     desktopIcons) &&
           made;
}

// ---- What the user sees -----------------------------------------------------------------------

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
        if (SampleOf(WindowOf(item)) == nullptr) {
            continue;
        }
        g_shownItems.push_back(item);
        rows.push_back(ShownRow{WindowOf(item), item.status});
        if (cursor != nullptr && WindowOf(item) == cursor) {
            options.currentItem = static_cast<int>(rows.size());
        }
    }
    options.width = panelview::kDefaultScreenWidth;
    options.numbered = numbered;
    Write(panelview::RenderPanel(far1host::DescribePanel(info, g_shownItems), options));
    KeepPicture(rows, listed.size() - g_shownItems.size());
}

const far1host::ListedItem* ShownItem(HWND window) {
    for (const far1host::ListedItem& item : g_shownItems) {
        if (WindowOf(item) == window) {
            return &item;
        }
    }
    return nullptr;
}

// ---- What the host does for the user's keys -----------------------------------------------------

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
    if (panel == nullptr) {
        Write("No plug-in takes the command \"" + command + "\".\n");
        return false;
    }
    if (panel == INVALID_HANDLE_VALUE) {
        Write("Velumo did not open its panel.\n");
        return false;
    }
    Write("   " + AnsiToUtf8(command) + ": OpenPlugin(OPEN_COMMANDLINE, \"" +
          AnsiToUtf8(command.substr(command.find(':') + 1)) + "\")" +
          (previous != nullptr ? ", then ClosePlugin of the panel's previous instance" : "") +
          "\n");
    return true;
}

// F8: FAR offers the key to the plug-in first, then deletes the selected items through it.
void PressF8(const std::vector<HWND>& windows) {
    HANDLE panel = ActiveVelumo();
    std::vector<far1::PluginPanelItem> selection;
    for (HWND window : windows) {
        const far1host::ListedItem* item = ShownItem(window);
        if (item != nullptr) {
            selection.push_back(far1host::PanelItemFrom(*item));
        }
    }
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
    const far1host::ListedItem* item = ShownItem(window);
    if (item == nullptr) {
        return;
    }
    far1host::SetPanelSelection({far1host::PanelItemFrom(*item)});
    Watched([&] {
        far1host::PressKey(panel, VK_F3, alt ? static_cast<unsigned int>(far1::PKF_ALT) : 0u);
    });
}

// The plug-in's configuration from F9 > Options > Plugins configuration; the simulated user
// closes the dialog with Esc.
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

// Enter on ".." in the active panel: the plug-in asks the host to close the panel, FAR closes
// it and shows the folder the panel had before Velumo opened.
bool LeavePanel() {
    HANDLE panel = ActiveVelumo();
    far1host::ClearRecords();
    Watched([] { far1host::EnterDirectory(".."); });
    const far1host::ControlCall* close = nullptr;
    for (const far1host::ControlCall& call : far1host::ControlCalls()) {
        if (call.plugin == panel && call.command == far1::FCTL_CLOSEPLUGIN) {
            close = &call;
        }
    }
    if (close == nullptr || ActiveVelumo() != nullptr) {
        Write("Velumo did not ask FAR to close the panel on \"..\".\n");
        return false;
    }
    const far1host::HostPanel& filePanel = far1host::PanelAt(far1host::ActivePanel());
    Write(
        std::string("   Enter on \"..\": Velumo asked FAR to close the panel (FCTL_CLOSEPLUGIN, ") +
        (close->hasParam ? "\"" + close->directory + "\"" : std::string("no directory")) +
        "); ClosePlugin; the file panel shows " +
        (filePanel.driveMenuShown ? std::string("the Change drive menu") : filePanel.folder) +
        "\n");
    return true;
}

// The terminal's UTF-8 goes on the command line in the ANSI code page, as FAR 1.x takes it.
bool HideCommand(const std::string& utf8) {
    std::wstring wide;
    BOOL lossy = FALSE;
    int length = 0;
    bool valid = Utf8ToWide(utf8, &wide);
    if (valid && !wide.empty()) {
        length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                     static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
    }
    if (!valid || (!wide.empty() && (length <= 0 || lossy))) {
        Write("The text is not UTF-8 or has letters the ANSI code page lacks; nothing was "
              "typed.\n");
        return false;
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), &ansi[0], length, nullptr, nullptr);
    }
    return RunCommandLine("hide:" + ansi);
}

const FrontEnd kFrontEnd = {
    [] { return ActiveVelumo() != nullptr; },
    OpenFromPluginsMenu,
    ShowPanel,
    PressF8,
    PressF3,
    HideCommand,
    [] {
        far1host::SetActivePanel(far1host::ActivePanel() == far1host::kLeftPanel
                                     ? far1host::kRightPanel
                                     : far1host::kLeftPanel);
    },
    ShowConfiguration,
    LeavePanel,
    [] {
        const far1host::HostPanel& filePanel = far1host::PanelAt(far1host::ActivePanel());
        return filePanel.driveMenuShown ? std::string("Change drive menu") : filePanel.folder;
    },
    nullptr,
    "TEXT is UTF-8 from the terminal; FAR 1.x takes it in the ANSI code page"};

// ---- The scripted run ---------------------------------------------------------------------------

bool RunScript() {
    const std::string menuEntry =
        g_pluginInfo.PluginMenuStringsNumber > 0 ? g_pluginInfo.PluginMenuStrings[0] : "?";
    const std::string& cafe = g_cafeNotes;
    return RunScript(
        kFrontEnd,
        {
            {"F11 > \"" + menuEntry +
                 "\": the desktop's windows; the owned tool window and the never-shown one are "
                 "left "
                 "out",
             Action::kOpen,
             {},
             "Report one",
             {{Expect::kStatus, "Report one", "    "}}},
            {"Insert on Final Report and Café notes, then F8: Velumo hides both (status \"H  D\")",
             Action::kToggle,
             {"Final Report", cafe},
             "Final Report",
             {{Expect::kHidden, "Final Report"},
              {Expect::kHidden, cafe},
              {Expect::kStatus, "Final Report", "H  D"}}},
            {"type hide:Report in the Velumo panel: Report one is hidden, Final Report shown "
             "again; "
             "FAR closes the old instance, and what Velumo hid stays hidden",
             Action::kHide,
             {"Report"},
             "",
             {{Expect::kHidden, "Report one"},
              {Expect::kVisible, "Final Report"},
              {Expect::kHidden, cafe},
              {Expect::kStatus, "Report one", "H  D"},
              {Expect::kStatus, cafe, "H  D"}}},
            {"F3 on the hidden Café notes: shown and brought to the front, still Velumo's (\"   "
             "D\")",
             Action::kActivate,
             {cafe},
             cafe,
             {{Expect::kVisible, cafe},
              {Expect::kFront, cafe},
              {Expect::kStatus, cafe, "   D"},
              {Expect::kHidden, "Report one"}}},
            {"F9 > Options > Plugins configuration > Velumo: the configuration dialog",
             Action::kConfigure,
             {},
             "",
             {{Expect::kHidden, "Report one"}}},
            {std::string("Enter on \"..\": the panel closes, FAR shows ") + kStartFolder +
                 " again, and Report one is shown again",
             Action::kLeave,
             {},
             "",
             {{Expect::kVisible, "Report one"}}},
        });
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
    memset(&g_pluginInfo, 0, sizeof(g_pluginInfo));
    plugin.GetPluginInfo(&g_pluginInfo);

    WriteIntroduction("Velumo demo: " + dllPath + " (" + (sizeof(void*) == 8 ? "x86_64" : "i686") +
                          " build) in a FAR-like host, with " + std::to_string(messages.size()) +
                          " messages from VelumoEng.lng.",
                      desktop);
    return RunAndFinish(kFrontEnd, interactive, RunScript, [] {
        far1host::ClosePanels();
        RegDeleteTreeA(HKEY_CURRENT_USER, kDemoKey);
    });
}

} // namespace demo
