// The FAR 1.x demo: Velumo.dll of the FAR 1.x (ANSI) front end in the FAR 1.x stand-in
// (far1host), which keeps FAR's two panels and orders the plug-in's calls as FAR does. Window
// titles are in the ANSI code page (1252); the panel shows them converted to the OEM code page,
// and the pictures convert that to UTF-8. The settings live under a demo root key of the
// registry that is deleted at the end.
#include "far1_view.h"
#include "velumo_demo.h"

#include <cstring>

namespace demo {
namespace {

constexpr char kDemoKey[] = "Software\\VelumoDemo";
constexpr char kRootKey[] = "Software\\VelumoDemo\\Far\\Plugins"; // FAR's plug-in root key
constexpr int kVkF8 = 0x77;

std::vector<far1host::ListedItem> g_shownItems; // the items of the last picture

// UTF-8 text in the ANSI code page, as FAR 1.x and the windows it lists hold text; false when
// the code page lacks one of its letters.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi) {
    const std::wstring wide = ToWide(utf8, CP_UTF8);
    BOOL lossy = FALSE;
    const int size = static_cast<int>(wide.size());
    int length = !wide.empty() ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                                     size, nullptr, 0, nullptr, &lossy)
                               : 0;
    if (!wide.empty() && (length <= 0 || lossy)) {
        return false;
    }
    ansi->assign(static_cast<size_t>(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, &(*ansi)[0], length,
                            nullptr, nullptr);
    }
    return true;
}

HWND WindowOf(const far1host::ListedItem& item) {
    return reinterpret_cast<HWND>(item.userData);
}

// Placed in a cascade, in the order made.
HWND MakeWindow(const std::string& utf8, DWORD style, HWND owner, DWORD exStyle) {
    static int slot = 0;
    std::string title;
    return Utf8ToAnsi(utf8, &title) ? harness::MakeWindow(title, style, owner, exStyle, slot++)
                                    : nullptr;
}

const DWORD kShown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
const std::vector<Sample> kSamples = {
    {"Palette", "tool window owned by Report one", WS_POPUP | WS_CAPTION | WS_VISIBLE, "Report one",
     WS_EX_TOOLWINDOW},
    {"Report one", "visible", kShown},
    {"Final Report", "visible", kShown},
    {"Café notes", "visible; a title outside ASCII", kShown},
    {"Background worker", "never shown", WS_OVERLAPPEDWINDOW},
    {"Program Manager", "visible; the title of the desktop's own window on Windows", kShown},
};

// The Velumo instance the active panel shows; null while it is a file panel.
HANDLE ActiveVelumo() {
    return far1host::PanelAt(far1host::ActivePanel()).plugin;
}

// Rereads and draws the panel. The cursor stays on the item it was on, as FAR keeps it on the
// same name after a reread; a null `cursor` puts it on "..".
void ShowPanel(HWND cursor) {
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

// FAR's command line, typed in the active panel: a command starting with the plug-in's prefix
// and a colon opens the plug-in with the text after the colon (in the OEM code page). When the
// active panel shows Velumo, FAR opens the new instance first, then closes the old one.
bool HideCommand(const std::string& utf8) {
    std::string text;
    if (!Utf8ToAnsi(utf8, &text)) {
        Write("The text has letters the ANSI code page lacks; nothing was typed.\n");
        return false;
    }
    HANDLE previous = ActiveVelumo();
    HANDLE panel = nullptr;
    Watched([&] { panel = far1host::TypeCommand("hide:" + text); });
    if (panel == nullptr || panel == INVALID_HANDLE_VALUE) {
        Write(panel == nullptr ? "No plug-in takes the command \"hide:" + utf8 + "\".\n"
                               : "Velumo did not open its panel.\n");
        return false;
    }
    Write("   hide:" + utf8 + ": OpenPlugin(OPEN_COMMANDLINE, \"" + utf8 + "\")" +
          (previous != nullptr ? ", then ClosePlugin of the panel's previous instance" : "") +
          "\n");
    return true;
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

// F3: the plug-in asks the host for the selection, the item under the cursor.
void PressF3(HWND window) {
    HANDLE panel = ActiveVelumo();
    std::vector<far1::PluginPanelItem> item = ShownItems({window});
    if (!item.empty()) {
        far1host::SetPanelSelection(item);
        Watched([&] { far1host::PressKey(panel, VK_F3, 0); });
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
    return filePanel.driveMenuShown ? std::string("the Change drive menu") : filePanel.folder;
}

// Enter on "..": the plug-in asks the host to close the panel, FAR closes it and shows the
// folder the panel had before Velumo opened.
std::string LeavePanel() {
    HANDLE panel = ActiveVelumo();
    far1host::ClearRecords();
    Watched([] { far1host::EnterDirectory(".."); });
    for (const far1host::ControlCall& call : far1host::ControlCalls()) {
        if (call.plugin == panel && call.command == far1::FCTL_CLOSEPLUGIN &&
            ActiveVelumo() == nullptr) {
            return "Velumo asked FAR to close the panel (FCTL_CLOSEPLUGIN, " +
                   (call.hasParam ? "\"" + call.directory + "\"" : std::string("no directory")) +
                   "); ClosePlugin";
        }
    }
    return "";
}

// F11 in the active panel and Velumo's entry in the plug-ins menu.
bool OpenFromMenu() {
    return far1host::OpenInActivePanel(far1::OPEN_PLUGINSMENU) != INVALID_HANDLE_VALUE;
}

const FrontEnd kFrontEnd = {OpenFromMenu,      ShowPanel,  PressF8,       PressF3, HideCommand,
                            ShowConfiguration, LeavePanel, FilePanelText, nullptr, MakeWindow};

std::vector<Step> Script(const std::string& menuEntry) {
    const std::string cafe = "Café notes";
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

int RunFar1Demo(const std::string& dllPath, const std::string& desktop) {
    if (!MakeSamples(kFrontEnd, kSamples)) {
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

    const std::string menuEntry =
        pluginInfo.PluginMenuStringsNumber > 0 ? pluginInfo.PluginMenuStrings[0] : "?";
    const std::string hostLine = "Velumo demo: " + dllPath + " (" +
                                 (sizeof(void*) == 8 ? "x86_64" : "i686") +
                                 " build) in a FAR-like host, with " +
                                 std::to_string(messages.size()) + " messages from VelumoEng.lng.";
    return RunAndFinish(kFrontEnd, hostLine, desktop, Script(menuEntry), [] {
        far1host::ClosePanels();
        RegDeleteTreeA(HKEY_CURRENT_USER, kDemoKey);
    });
}

} // namespace demo
