// The Velumo demo: the real Velumo.dll, loaded by the FAR-like host stand-in, on a desktop of
// sample windows that the demo makes itself. Each step does what a FAR user does (opens the
// panel, presses F8 and F3, types hide:<text> on the command line in the Velumo panel, opens
// the configuration, leaves the panel), and prints the panel or the dialog as FAR draws it.
// The host stand-in keeps FAR's two panels and orders the plug-in's calls as FAR does.
//
//   velumo_demo.exe [--interactive] [--dll PATH\Velumo.dll]
//
// The DLL defaults to Velumo.dll of this build (..\Velumo\Velumo.dll from the demo's own
// folder); its messages come from VelumoEng.lng beside the DLL, as FAR finds them. The settings
// live under a demo root key that is deleted at the end. The exit code is 0 only when every window
// the plug-in hid is visible again after the last panel closed (and, in the scripted run, every
// step did what it shows).
#include "far1_view.h"
#include "window_harness.h"

#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kDesktopName[] = "VelumoDemo";
constexpr char kDemoKey[] = "Software\\VelumoDemo";
constexpr char kRootKey[] = "Software\\VelumoDemo\\Far\\Plugins"; // FAR's plug-in root key
constexpr int kScreenWidth = panelview::kDefaultScreenWidth;
constexpr int kLineCapacity = 1024; // one command line of the interactive mode
constexpr int kVkF8 = 0x77;
// A title with a letter outside ASCII, in the ANSI code page (1252) as windows hold titles:
// the panel shows it converted to the OEM code page, and the picture converts that to UTF-8.
constexpr char kCafeNotes[] = "Caf\xE9 notes";
// The folder FAR's left panel shows when the user opens Velumo there.
constexpr char kStartFolder[] = "C:\\Users\\far\\Documents";

struct SampleWindow {
    const char* title;
    const char* role;
    HWND handle;
};

struct DemoState {
    std::vector<SampleWindow> windows;
    std::vector<farhost::ListedItem> lastListing;
    std::vector<HWND> hiddenByVelumo; // windows seen going from visible to hidden by a call
    PluginInfo pluginInfo;
    bool unexpected = false;
};

DemoState g_demo;

void Write(const std::string& text) {
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

uintptr_t UserDataOf(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}

const char* SampleTitle(uintptr_t userData) {
    for (const SampleWindow& window : g_demo.windows) {
        if (UserDataOf(window.handle) == userData) {
            return window.title;
        }
    }
    return nullptr;
}

HWND SampleHandle(const char* title) {
    for (const SampleWindow& window : g_demo.windows) {
        if (strcmp(window.title, title) == 0) {
            return window.handle;
        }
    }
    return nullptr;
}

// A window title (ANSI code page) as UTF-8 for the terminal.
std::string AnsiToUtf8(const char* ansi) {
    int size = static_cast<int>(strlen(ansi));
    if (size == 0) {
        return std::string();
    }
    int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi, size, nullptr, 0);
    if (wideLength <= 0) {
        return std::string(ansi);
    }
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, size, &wide[0], wideLength);
    int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) {
        return std::string(ansi);
    }
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr,
                        nullptr);
    return utf8;
}

using harness::PumpMessages;

// ---- The desktop ------------------------------------------------------------------------------

HWND MakeWindow(const char* title, DWORD style, HWND owner, DWORD exStyle, int slot) {
    HWND window = harness::MakeWindow(title, style, owner, exStyle, slot);
    PumpMessages();
    return window;
}

bool CreateSampleWindows() {
    // Made bottom first: each window made goes on top, so the panel lists them top down.
    const DWORD shown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    HWND desktopIcons = MakeWindow("Program Manager", shown, nullptr, 0, 0);
    HWND background = MakeWindow("Background worker", WS_OVERLAPPEDWINDOW, nullptr, 0, 1);
    HWND cafeNotes = MakeWindow(kCafeNotes, shown, nullptr, 0, 2);
    HWND finalReport = MakeWindow("Final Report", shown, nullptr, 0, 3);
    HWND reportOne = MakeWindow("Report one", shown, nullptr, 0, 4);
    HWND palette =
        MakeWindow("Palette", WS_POPUP | WS_CAPTION | WS_VISIBLE, reportOne, WS_EX_TOOLWINDOW, 5);
    g_demo.windows = {
        {"Report one", "visible", reportOne},
        {"Final Report", "visible", finalReport},
        {kCafeNotes, "visible; a title outside ASCII", cafeNotes},
        {"Palette", "tool window owned by Report one", palette},
        {"Background worker", "never shown", background},
        {"Program Manager", "visible; the title of the desktop's own window on Windows",
         desktopIcons},
    };
    for (const SampleWindow& window : g_demo.windows) {
        if (window.handle == nullptr) {
            return false;
        }
    }
    return true;
}

std::vector<bool> VisibilitySnapshot() {
    std::vector<bool> visible;
    for (const SampleWindow& window : g_demo.windows) {
        visible.push_back(IsWindowVisible(window.handle) != FALSE);
    }
    return visible;
}

// Remembers every sample window that a plug-in call took from visible to hidden.
void NoteHiddenSince(const std::vector<bool>& before) {
    PumpMessages();
    for (size_t i = 0; i < g_demo.windows.size(); ++i) {
        HWND window = g_demo.windows[i].handle;
        if (before[i] && !IsWindowVisible(window)) {
            bool known = false;
            for (HWND hidden : g_demo.hiddenByVelumo) {
                known = known || hidden == window;
            }
            if (!known) {
                g_demo.hiddenByVelumo.push_back(window);
            }
        }
    }
}

// ---- What the user sees -----------------------------------------------------------------------

// Rereads and draws the panel. The cursor stays on the item it was on, as FAR keeps it on the
// same name after a reread; a null `cursorTitle` puts it on "..".
void ShowPanel(HANDLE panel, const char* cursorTitle, bool numbered) {
    OpenPluginInfo info;
    memset(&info, 0, sizeof(info));
    farhost::Plugin().GetOpenPluginInfo(panel, &info);
    std::vector<farhost::ListedItem> listed = farhost::ListPanel(panel);
    std::vector<farhost::ListedItem> shown;
    panelview::PanelViewOptions options;
    for (const farhost::ListedItem& item : listed) {
        const char* title = SampleTitle(item.userData);
        if (title != nullptr) {
            shown.push_back(item);
            if (cursorTitle != nullptr && strcmp(title, cursorTitle) == 0) {
                options.currentItem = static_cast<int>(shown.size());
            }
        }
    }
    g_demo.lastListing = shown;
    options.width = kScreenWidth;
    options.numbered = numbered;
    Write(panelview::RenderPanel(farhost::DescribePanel(info, shown), options));
    size_t others = listed.size() - shown.size();
    if (others > 0) {
        Write("(" + std::to_string(others) +
              " more listed window(s) not made by the demo are left out of the picture)\n");
    }
}

int ListingIndex(const char* title) {
    for (size_t i = 0; i < g_demo.lastListing.size(); ++i) {
        const char* sample = SampleTitle(g_demo.lastListing[i].userData);
        if (sample != nullptr && strcmp(sample, title) == 0) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::string StatusOf(const char* title) {
    int index = ListingIndex(title);
    return index > 0 ? g_demo.lastListing[static_cast<size_t>(index - 1)].status : "";
}

void Caption(int step, int steps, const std::string& text) {
    Write("\n== Step " + std::to_string(step) + " of " + std::to_string(steps) + ": " + text +
          "\n");
}

// Prints what IsWindowVisible says of a sample window; an answer other than `expected` marks
// the scripted run as failed.
void CheckVisible(const char* title, bool expected) {
    bool visible = IsWindowVisible(SampleHandle(title)) != FALSE;
    Write("   IsWindowVisible(\"" + AnsiToUtf8(title) + "\") = " + (visible ? "1" : "0") +
          (visible == expected ? "" : "   <-- unexpected") + "\n");
    if (visible != expected) {
        g_demo.unexpected = true;
    }
}

void CheckStatus(const char* title, const char* expected) {
    std::string status = StatusOf(title);
    bool listed = ListingIndex(title) > 0;
    Write("   status of \"" + AnsiToUtf8(title) +
          "\" = " + (listed ? "\"" + status + "\"" : "not listed") +
          (listed && status == expected ? "" : "   <-- unexpected") + "\n");
    if (!listed || status != expected) {
        g_demo.unexpected = true;
    }
}

// ---- What the host does for the user's keys -----------------------------------------------------

// The Velumo instance the active panel shows; null while it is a file panel.
HANDLE ActiveVelumo() {
    return farhost::PanelAt(farhost::ActivePanel()).plugin;
}

HANDLE OpenFromPluginsMenu() {
    HANDLE panel = farhost::OpenInActivePanel(OPEN_PLUGINSMENU);
    if (panel == INVALID_HANDLE_VALUE) {
        Write("Velumo did not open its panel.\n");
        return nullptr;
    }
    return panel;
}

// FAR's command line, typed in the active panel: a command starting with the plug-in's prefix
// and a colon opens the plug-in with the text after the colon (in the OEM code page). When the
// active panel shows Velumo, FAR opens the new instance first, then closes the old one.
HANDLE RunCommandLine(const std::string& command) {
    std::vector<bool> before = VisibilitySnapshot();
    HANDLE previous = ActiveVelumo();
    HANDLE panel = farhost::TypeCommand(command);
    NoteHiddenSince(before);
    if (panel == nullptr) {
        Write("No plug-in takes the command \"" + command + "\".\n");
        return nullptr;
    }
    if (panel == INVALID_HANDLE_VALUE) {
        Write("Velumo did not open its panel.\n");
        return nullptr;
    }
    Write("   " + AnsiToUtf8(command.c_str()) + ": OpenPlugin(OPEN_COMMANDLINE, \"" +
          AnsiToUtf8(command.substr(command.find(':') + 1).c_str()) + "\")" +
          (previous != nullptr ? ", then ClosePlugin of the panel's previous instance" : "") +
          "\n");
    return panel;
}

// F8: FAR offers the key to the plug-in first, then deletes the selected items through it.
void PressF8(HANDLE panel, const std::vector<int>& numbers) {
    std::vector<PluginPanelItem> selection;
    for (int number : numbers) {
        selection.push_back(
            farhost::PanelItemFrom(g_demo.lastListing[static_cast<size_t>(number - 1)]));
    }
    std::vector<bool> before = VisibilitySnapshot();
    if (!farhost::PressKey(panel, kVkF8, 0)) {
        farhost::Plugin().DeleteFiles(panel, selection.data(), static_cast<int>(selection.size()),
                                      0);
    }
    NoteHiddenSince(before);
}

// F3 (or Alt+F3): the plug-in asks the host for the selection, the item under the cursor.
void PressF3(HANDLE panel, int number, unsigned int controlState) {
    farhost::SetPanelSelection(
        {farhost::PanelItemFrom(g_demo.lastListing[static_cast<size_t>(number - 1)])});
    std::vector<bool> before = VisibilitySnapshot();
    farhost::PressKey(panel, VK_F3, controlState);
    NoteHiddenSince(before);
}

// The plug-in's configuration from F9 > Options > Plugins configuration; the simulated user
// closes the dialog with Esc.
void ShowConfiguration() {
    farhost::ClearRecords();
    int result = farhost::Plugin().Configure(0);
    if (farhost::DialogCalls().empty()) {
        Write("Velumo showed no dialog.\n");
        g_demo.unexpected = true;
        return;
    }
    const farhost::DialogCall& call = farhost::DialogCalls().back();
    Write(panelview::RenderDialog(farhost::DescribeDialog(call.items), call.x2, call.y2));
    Write("   Dialog(" + std::to_string(call.x1) + ", " + std::to_string(call.y1) + ", " +
          std::to_string(call.x2) + ", " + std::to_string(call.y2) + ", \"" + call.helpTopic +
          "\", " + std::to_string(call.items.size()) + " items); Esc; Configure returned " +
          std::to_string(result) + ": nothing saved\n");
}

// Enter on ".." in the active panel: the plug-in asks the host to close the panel, FAR closes
// it and shows the folder the panel had before Velumo opened.
bool LeavePanel() {
    HANDLE panel = ActiveVelumo();
    if (panel == nullptr) {
        Write("No Velumo panel is active.\n");
        return false;
    }
    farhost::ClearRecords();
    std::vector<bool> before = VisibilitySnapshot();
    farhost::EnterDirectory("..");
    NoteHiddenSince(before);
    const farhost::ControlCall* close = nullptr;
    for (const farhost::ControlCall& call : farhost::ControlCalls()) {
        if (call.plugin == panel && call.command == FCTL_CLOSEPLUGIN) {
            close = &call;
        }
    }
    if (close == nullptr || ActiveVelumo() != nullptr) {
        Write("Velumo did not ask FAR to close the panel on \"..\".\n");
        return false;
    }
    const farhost::HostPanel& filePanel = farhost::PanelAt(farhost::ActivePanel());
    Write(
        std::string("   Enter on \"..\": Velumo asked FAR to close the panel (FCTL_CLOSEPLUGIN, ") +
        (close->hasParam ? "\"" + close->directory + "\"" : std::string("no directory")) +
        "); ClosePlugin; the file panel shows " +
        (filePanel.driveMenuShown ? std::string("the Change drive menu") : filePanel.folder) +
        "\n");
    return true;
}

// After the last panel: every window the plug-in hid must be visible again.
bool FinalCheck() {
    PumpMessages();
    bool allVisible = true;
    Write("\nWindows Velumo hid during the demo, as IsWindowVisible reports them now:\n");
    if (g_demo.hiddenByVelumo.empty()) {
        Write("   (none)\n");
    }
    for (HWND window : g_demo.hiddenByVelumo) {
        bool visible = IsWindowVisible(window) != FALSE;
        allVisible = allVisible && visible;
        Write("   " + AnsiToUtf8(SampleTitle(UserDataOf(window))) + ": " +
              (visible ? "visible" : "STILL HIDDEN") + "\n");
    }
    Write(allVisible ? "All of them are visible again.\n"
                     : "Some windows Velumo hid are still hidden.\n");
    return allVisible;
}

// ---- The scripted run
// -----------------------------------------------------------------------------

bool RunScript() {
    const int steps = 6;
    const char* menuEntry = g_demo.pluginInfo.PluginMenuStringsNumber > 0
                                ? g_demo.pluginInfo.PluginMenuStrings[0]
                                : "?";

    Caption(1, steps,
            std::string("F11 > \"") + menuEntry +
                "\": the desktop's windows; the owned tool window and the never-shown one are "
                "left out");
    HANDLE first = OpenFromPluginsMenu();
    if (first == nullptr) {
        return false;
    }
    ShowPanel(first, "Report one", false);
    CheckStatus("Report one", "    ");

    Caption(2, steps,
            "Insert on Final Report and Café notes, then F8: Velumo hides both (status \"H  D\")");
    int finalReport = ListingIndex("Final Report");
    int cafeNotes = ListingIndex(kCafeNotes);
    if (finalReport == 0 || cafeNotes == 0) {
        Write("The sample windows are not listed.\n");
        return false;
    }
    PressF8(first, {finalReport, cafeNotes});
    ShowPanel(first, "Final Report", false);
    CheckVisible("Final Report", false);
    CheckVisible(kCafeNotes, false);
    CheckStatus("Final Report", "H  D");

    Caption(3, steps,
            "type hide:Report in the Velumo panel: Report one is hidden, Final Report shown "
            "again; FAR closes the old instance, and what Velumo hid stays hidden");
    HANDLE second = RunCommandLine("hide:Report");
    if (second == nullptr) {
        return false;
    }
    ShowPanel(second, nullptr, false);
    CheckVisible("Report one", false);
    CheckVisible("Final Report", true);
    CheckVisible(kCafeNotes, false);
    CheckStatus("Report one", "H  D");
    CheckStatus(kCafeNotes, "H  D");

    Caption(4, steps,
            "F3 on the hidden Café notes: shown and brought to the front, still Velumo's "
            "(\"   D\")");
    int cafe = ListingIndex(kCafeNotes);
    if (cafe == 0) {
        return false;
    }
    PressF3(second, cafe, 0);
    ShowPanel(second, kCafeNotes, false);
    CheckVisible(kCafeNotes, true);
    bool foreground = GetForegroundWindow() == SampleHandle(kCafeNotes);
    Write(std::string("   GetForegroundWindow() is Café notes: ") + (foreground ? "yes" : "no") +
          "\n");
    CheckStatus(kCafeNotes, "   D");
    CheckVisible("Report one", false);

    Caption(5, steps, "F9 > Options > Plugins configuration > Velumo: the configuration dialog");
    ShowConfiguration();
    CheckVisible("Report one", false);

    Caption(6, steps,
            std::string("Enter on \"..\": the panel closes, FAR shows ") + kStartFolder +
                " again, and Report one is shown again");
    bool closed = LeavePanel();
    CheckVisible("Report one", true);
    const farhost::HostPanel& filePanel = farhost::PanelAt(farhost::kLeftPanel);
    bool sameFolder = !filePanel.driveMenuShown && filePanel.folder == kStartFolder;
    if (!sameFolder) {
        Write("   the file panel is not in the folder Velumo was opened from   <-- unexpected\n");
        g_demo.unexpected = true;
    }
    return closed;
}

// ---- The interactive run ------------------------------------------------------------------------

void PrintHelp() {
    Write("Commands (n is the item number shown left of the panel):\n"
          "  list          show the active panel (opens one from the plug-ins menu if none)\n"
          "  F8 n [m ...]  toggle the windows of items n, m, ... (hide or show)\n"
          "  F3 n          bring the window of item n to the front (Alt+F3: A3 n)\n"
          "  hide TEXT     hide:TEXT on FAR's command line in the active panel: opens a new\n"
          "                Velumo instance there (closing the one the panel showed)\n"
          "  tab           make the other panel the active one\n"
          "  config        the configuration dialog (closed with Esc)\n"
          "  close         Enter on \"..\": closes the active panel\n"
          "  quit          close every panel and check the windows Velumo hid\n");
}

std::vector<int> ParseNumbers(const std::string& text, bool* valid) {
    std::vector<int> numbers;
    *valid = true;
    const char* p = text.c_str();
    while (*p != '\0') {
        while (*p == ' ' || *p == '\t') {
            ++p;
        }
        if (*p == '\0') {
            break;
        }
        char* end = nullptr;
        long number = strtol(p, &end, 10);
        if (end == p || number < 1 || number > static_cast<long>(g_demo.lastListing.size())) {
            *valid = false;
            return numbers;
        }
        numbers.push_back(static_cast<int>(number));
        p = end;
    }
    *valid = *valid && !numbers.empty();
    return numbers;
}

void RunInteractive() {
    PrintHelp();
    HANDLE first = OpenFromPluginsMenu();
    if (first != nullptr) {
        ShowPanel(first, nullptr, true);
    }
    char line[kLineCapacity];
    for (;;) {
        Write("> ");
        if (fgets(line, sizeof(line), stdin) == nullptr) {
            Write("\n");
            break;
        }
        std::string command(line);
        while (!command.empty() && isspace(static_cast<unsigned char>(command.back()))) {
            command.pop_back();
        }
        size_t start = command.find_first_not_of(" \t");
        command = start == std::string::npos ? "" : command.substr(start);
        size_t space = command.find(' ');
        std::string verb = command.substr(0, space);
        std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
        for (char& c : verb) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        HANDLE active = ActiveVelumo();
        const char* cursor = nullptr;
        if (verb.empty()) {
            continue;
        } else if (verb == "quit" || verb == "exit") {
            break;
        } else if (verb == "help" || verb == "?") {
            PrintHelp();
            continue;
        } else if (verb == "list") {
            if (active == nullptr) {
                active = OpenFromPluginsMenu();
            }
        } else if (verb == "f8" || verb == "f3" || verb == "a3") {
            bool valid = false;
            std::vector<int> numbers = ParseNumbers(rest, &valid);
            if (active == nullptr || !valid || (verb != "f8" && numbers.size() != 1)) {
                Write("Give item numbers of the last listing (list shows it).\n");
                continue;
            }
            if (verb == "f8") {
                PressF8(active, numbers);
            } else {
                PressF3(active, numbers[0], verb == "a3" ? static_cast<unsigned int>(PKF_ALT) : 0u);
            }
            cursor = SampleTitle(g_demo.lastListing[static_cast<size_t>(numbers[0] - 1)].userData);
        } else if (verb == "hide" || verb.compare(0, 5, "hide:") == 0) {
            std::string text = verb == "hide" ? rest : command.substr(5);
            HANDLE opened = RunCommandLine("hide:" + text);
            if (opened != nullptr) {
                active = opened;
            }
        } else if (verb == "tab") {
            farhost::SetActivePanel(farhost::ActivePanel() == farhost::kLeftPanel
                                        ? farhost::kRightPanel
                                        : farhost::kLeftPanel);
            active = ActiveVelumo();
        } else if (verb == "config") {
            ShowConfiguration();
        } else if (verb == "close") {
            if (active == nullptr) {
                Write("No Velumo panel is active.\n");
                continue;
            }
            LeavePanel();
            active = ActiveVelumo();
        } else {
            Write("Unknown command \"" + verb + "\"; help lists the commands.\n");
            continue;
        }
        if (active != nullptr) {
            ShowPanel(active, cursor, true);
        } else {
            const farhost::HostPanel& filePanel = farhost::PanelAt(farhost::ActivePanel());
            Write("The active panel is a file panel (" +
                  (filePanel.driveMenuShown ? std::string("Change drive menu") : filePanel.folder) +
                  "); list opens Velumo there.\n");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // UTF-8 bytes go out as they are, lines end in LF
    SetConsoleOutputCP(CP_UTF8);          // and a Windows console shows them as UTF-8

    bool interactive = false;
    std::string dllPath = harness::BesideProgram(VELUMO_DLL_RELATIVE_PATH);
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--interactive") == 0) {
            interactive = true;
        } else if (strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
            dllPath = argv[++i];
        } else {
            fprintf(stderr, "usage: velumo_demo [--interactive] [--dll PATH\\Velumo.dll]\n");
            return 2;
        }
    }

    // A desktop of the demo's own, so that EnumWindows sees the sample windows and not those
    // of the machine (Wine puts a few hidden helper windows of its own on every desktop).
    bool ownDesktop = harness::UseOwnDesktop(kDesktopName).empty();
    if (!CreateSampleWindows()) {
        fprintf(stderr, "velumo_demo: cannot create the sample windows\n");
        return 1;
    }
    farhost::PluginExports plugin;
    std::vector<std::string> messages;
    std::string error;
    if (!harness::LoadVelumo(dllPath, &plugin, &messages, &error)) {
        fprintf(stderr, "velumo_demo: %s\n", error.c_str());
        return 1;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kDemoKey); // start from the default settings
    farhost::Start(plugin, messages, kRootKey, dllPath);
    farhost::ShowFolder(farhost::kLeftPanel, kStartFolder);
    memset(&g_demo.pluginInfo, 0, sizeof(g_demo.pluginInfo));
    plugin.GetPluginInfo(&g_demo.pluginInfo);

    Write("Velumo demo: " + dllPath + " (" + (sizeof(void*) == 8 ? "x86_64" : "i686") +
          " build) in a FAR-like host, with " + std::to_string(messages.size()) +
          " messages from VelumoEng.lng.\nSample windows, on " +
          (ownDesktop ? std::string("the demo's own desktop \"") + kDesktopName + "\""
                      : std::string("the current desktop (no desktop of its own)")) +
          "; the pictures show only these:\n");
    for (const SampleWindow& window : g_demo.windows) {
        std::string title = AnsiToUtf8(window.title);
        size_t titleWidth = strlen(window.title); // one screen column per ANSI character
        Write("   " + title + std::string(titleWidth < 19 ? 19 - titleWidth : 1, ' ') +
              harness::HandleText(window.handle) + "  " + window.role + "\n");
    }

    bool scriptOk = true;
    if (interactive) {
        RunInteractive();
    } else {
        scriptOk = RunScript() && !g_demo.unexpected;
    }
    farhost::ClosePanels(); // as FAR closes every panel when it exits, or a script cut short
    bool restored = FinalCheck();
    RegDeleteTreeA(HKEY_CURRENT_USER, kDemoKey);
    if (!interactive && !scriptOk) {
        Write("The demo saw something it did not expect (marked above).\n");
    }
    return restored && scriptOk ? 0 : 1;
}
