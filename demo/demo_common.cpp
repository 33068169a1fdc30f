#include "demo_common.h"

#include "screen_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace demo {
namespace {

constexpr int kLineCapacity = 1024; // one command line of the interactive run
constexpr int kTitleColumns = 19;   // the introduction's title column

struct DemoState {
    std::vector<SampleWindow> windows;
    std::vector<ShownRow> pictureRows;
    std::vector<HWND> hiddenByVelumo; // windows seen going from visible to hidden by a call
    bool unexpected = false;
};

DemoState g_demo;

const SampleWindow* SampleTitled(const std::string& title) {
    for (const SampleWindow& window : g_demo.windows) {
        if (window.title == title) {
            return &window;
        }
    }
    return nullptr;
}

// ---- The interactive run's commands -------------------------------------------------------

void PrintHelp(const FrontEnd& commands) {
    Write("Commands (n is the item number shown left of the panel):\n"
          "  list          show the active panel (opens one from the plug-ins menu if none)\n"
          "  F8 n [m ...]  toggle the windows of items n, m, ... (hide or show)\n"
          "  F3 n          bring the window of item n to the front (Alt+F3: A3 n)\n"
          "  hide TEXT     hide:TEXT on FAR's command line in the active panel: opens a new\n"
          "                Velumo instance there (closing the one the panel showed)\n");
    if (commands.hideNote != nullptr) {
        Write(std::string("                ") + commands.hideNote + "\n");
    }
    Write("  tab           make the other panel the active one\n"
          "  config        the configuration dialog (closed with Esc)\n"
          "  close         Enter on \"..\": closes the active panel\n"
          "  quit          close every panel and check the windows Velumo hid\n");
}

// The windows of the last picture's rows numbered in `text`; empty when a number is not one.
std::vector<HWND> NumberedWindows(const std::string& text) {
    std::vector<HWND> windows;
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
        if (end == p || number < 1 || number > static_cast<long>(g_demo.pictureRows.size())) {
            return std::vector<HWND>();
        }
        windows.push_back(g_demo.pictureRows[static_cast<size_t>(number - 1)].window);
        p = end;
    }
    return windows;
}

// One line of standard input as UTF-8; false at its end. A Windows console is read in UTF-16
// (its byte interface gives the console's code page); anything else as the bytes it holds.
bool ReadLine(std::string* line) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {
        wchar_t wide[kLineCapacity];
        DWORD read = 0;
        if (!ReadConsoleW(input, wide, kLineCapacity, &read, nullptr) || read == 0 ||
            wide[0] == 0x1A) { // Ctrl+Z: the console's end of input
            return false;
        }
        int length = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(read), nullptr, 0,
                                         nullptr, nullptr);
        line->assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
        if (length > 0) {
            WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(read), &(*line)[0], length,
                                nullptr, nullptr);
        }
        return true;
    }
    char bytes[kLineCapacity];
    if (fgets(bytes, sizeof(bytes), stdin) == nullptr) {
        return false;
    }
    line->assign(bytes);
    return true;
}

std::string Trimmed(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return std::string();
    }
    size_t end = text.size();
    while (end > start && isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(start, end - start);
}

} // namespace

void Write(const std::string& text) {
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

std::wstring AnsiToWide(const std::string& ansi) {
    int size = static_cast<int>(ansi.size());
    int length = size > 0 ? MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, &wide[0], length);
    }
    return wide;
}

bool Utf8ToWide(const std::string& utf8, std::wstring* wide) {
    wide->clear();
    if (utf8.empty()) {
        return true;
    }
    int size = static_cast<int>(utf8.size());
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide->resize(static_cast<size_t>(length));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &(*wide)[0],
                               length) == length;
}

bool AddSample(const std::string& title, const std::string& role, HWND handle) {
    g_demo.windows.push_back(SampleWindow{title, role, handle});
    return handle != nullptr;
}

const SampleWindow* SampleOf(HWND window) {
    for (const SampleWindow& sample : g_demo.windows) {
        if (sample.handle == window) {
            return &sample;
        }
    }
    return nullptr;
}

HWND SampleNamed(const std::string& title) {
    const SampleWindow* sample = SampleTitled(title);
    return sample != nullptr ? sample->handle : nullptr;
}

void WriteIntroduction(const std::string& hostLine, const std::string& desktop) {
    Write(hostLine + "\nSample windows, on " + desktop + "; the pictures show only these:\n");
    for (const SampleWindow& window : g_demo.windows) {
        int width = panelview::WidthOf(panelview::ToScreenText(window.title));
        Write("   " + window.title +
              std::string(width < kTitleColumns ? static_cast<size_t>(kTitleColumns - width) : 1,
                          ' ') +
              harness::HandleText(window.handle) + "  " + window.role + "\n");
    }
}

std::vector<bool> VisibilitySnapshot() {
    std::vector<bool> visible;
    for (const SampleWindow& window : g_demo.windows) {
        visible.push_back(IsWindowVisible(window.handle) != FALSE);
    }
    return visible;
}

void NoteHiddenSince(const std::vector<bool>& before) {
    harness::PumpMessages();
    for (size_t i = 0; i < g_demo.windows.size() && i < before.size(); ++i) {
        HWND window = g_demo.windows[i].handle;
        if (!before[i] || IsWindowVisible(window)) {
            continue;
        }
        bool known = false;
        for (HWND hidden : g_demo.hiddenByVelumo) {
            known = known || hidden == window;
        }
        if (!known) {
            g_demo.hiddenByVelumo.push_back(window);
        }
    }
}

void KeepPicture(const std::vector<ShownRow>& rows, size_t leftOut) {
    g_demo.pictureRows = rows;
    if (leftOut > 0) {
        Write("(" + std::to_string(leftOut) +
              " more listed window(s) not made by the demo are left out of the picture)\n");
    }
}

int RowNumber(const std::string& title) {
    HWND window = SampleNamed(title);
    for (size_t i = 0; window != nullptr && i < g_demo.pictureRows.size(); ++i) {
        if (g_demo.pictureRows[i].window == window) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

void Check(const std::string& line, bool asExpected) {
    Write("   " + line + (asExpected ? "" : "   <-- unexpected") + "\n");
    if (!asExpected) {
        g_demo.unexpected = true;
    }
}

namespace {

void CheckExpect(const FrontEnd& frontEnd, const Expect& expect) {
    const std::string& title = expect.title;
    switch (expect.kind) {
    case Expect::kVisible:
    case Expect::kHidden: {
        bool visible = IsWindowVisible(SampleNamed(title)) != FALSE;
        Check("IsWindowVisible(\"" + title + "\") = " + (visible ? "1" : "0"),
              visible == (expect.kind == Expect::kVisible));
        break;
    }
    case Expect::kFront: {
        bool foreground = GetForegroundWindow() == SampleNamed(title);
        Check("GetForegroundWindow() is " + title + ": " + (foreground ? "yes" : "no"), foreground);
        break;
    }
    case Expect::kStatus: {
        int number = RowNumber(title);
        const std::string status =
            number > 0 ? g_demo.pictureRows[static_cast<size_t>(number - 1)].status : "";
        Check("status of \"" + title + "\" = " + (number > 0 ? "\"" + status + "\"" : "not listed"),
              number > 0 && status == expect.detail);
        break;
    }
    case Expect::kExactTitle:
        frontEnd.checkExactTitle(title);
        break;
    case Expect::kNotListed:
        Check(title + " and " + expect.detail + " are not listed",
              RowNumber(title) == 0 && RowNumber(expect.detail) == 0);
        break;
    }
}

// The step's action; false when the run cannot go on.
bool Act(const FrontEnd& frontEnd, const Step& step) {
    std::vector<HWND> windows;
    for (const std::string& title : step.operands) {
        if (step.action == Action::kToggle || step.action == Action::kActivate) {
            if (RowNumber(title) == 0) {
                Write("The sample windows are not listed.\n");
                return false;
            }
            windows.push_back(SampleNamed(title));
        }
    }
    switch (step.action) {
    case Action::kOpen:
        return frontEnd.open();
    case Action::kHide:
        return frontEnd.hide(step.operands[0]);
    case Action::kToggle:
        frontEnd.toggle(windows);
        return true;
    case Action::kActivate:
        frontEnd.activate(windows[0], false);
        return true;
    case Action::kConfigure:
        frontEnd.configure();
        return true;
    case Action::kLeave:
        if (!frontEnd.velumoActive()) {
            Write("No Velumo panel is active.\n");
            return false;
        }
        return true; // left after the checks
    }
    return false;
}

} // namespace

bool RunScript(const FrontEnd& frontEnd, const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        Write("\n== Step " + std::to_string(i + 1) + " of " + std::to_string(steps.size()) + ": " +
              step.caption + "\n");
        if (!Act(frontEnd, step)) {
            return false;
        }
        const bool redraws = step.action != Action::kConfigure && step.action != Action::kLeave;
        if (redraws) {
            frontEnd.show(step.cursor.empty() ? nullptr : SampleNamed(step.cursor), false);
        }
        const bool closed = step.action != Action::kLeave || frontEnd.leave();
        for (const Expect& expect : step.expects) {
            CheckExpect(frontEnd, expect);
        }
        if (step.action == Action::kLeave && frontEnd.filePanelText() != kStartFolder) {
            Check("the file panel is not in the folder Velumo was opened from", false);
        }
        if (!closed) {
            return false;
        }
    }
    return !g_demo.unexpected;
}

namespace {

// Help, Velumo opened in the active panel, then commands from standard input until quit or
// its end. Commands are UTF-8: read as typed from a pipe, or as UTF-16 from a Windows console
// and converted.
void RunInteractive(const FrontEnd& commands) {
    PrintHelp(commands);
    if (commands.open()) {
        commands.show(nullptr, true);
    }
    std::string line;
    for (;;) {
        Write("> ");
        if (!ReadLine(&line)) {
            Write("\n");
            break;
        }
        const std::string command = Trimmed(line);
        size_t space = command.find(' ');
        std::string verb = command.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
        for (char& c : verb) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        HWND cursor = nullptr;
        if (verb.empty()) {
            continue;
        } else if (verb == "quit" || verb == "exit") {
            break;
        } else if (verb == "help" || verb == "?") {
            PrintHelp(commands);
            continue;
        } else if (verb == "list") {
            if (!commands.velumoActive()) {
                commands.open();
            }
        } else if (verb == "f8" || verb == "f3" || verb == "a3") {
            std::vector<HWND> windows = NumberedWindows(rest);
            if (!commands.velumoActive() || windows.empty() ||
                (verb != "f8" && windows.size() != 1)) {
                Write("Give item numbers of the last listing (list shows it).\n");
                continue;
            }
            if (verb == "f8") {
                commands.toggle(windows);
            } else {
                commands.activate(windows[0], verb == "a3");
            }
            cursor = windows[0];
        } else if (verb == "hide" || verb.compare(0, 5, "hide:") == 0) {
            commands.hide(verb == "hide" ? rest : command.substr(5));
        } else if (verb == "tab") {
            commands.tab();
        } else if (verb == "config") {
            commands.configure();
        } else if (verb == "close") {
            if (!commands.velumoActive()) {
                Write("No Velumo panel is active.\n");
                continue;
            }
            commands.leave();
        } else {
            Write("Unknown command \"" + verb + "\"; help lists the commands.\n");
            continue;
        }
        if (commands.velumoActive()) {
            commands.show(cursor, true);
        } else {
            Write("The active panel is a file panel (" + commands.filePanelText() +
                  "); list opens Velumo there.\n");
        }
    }
}

} // namespace

int RunAndFinish(const FrontEnd& frontEnd, bool interactive, bool (*script)(), void (*exitFar)()) {
    bool scriptOk = true;
    if (interactive) {
        RunInteractive(frontEnd);
    } else {
        scriptOk = script();
    }
    exitFar();
    harness::PumpMessages();
    bool allVisible = true;
    Write("\nWindows Velumo hid during the demo, as IsWindowVisible reports them now:\n");
    if (g_demo.hiddenByVelumo.empty()) {
        Write("   (none)\n");
    }
    for (HWND window : g_demo.hiddenByVelumo) {
        bool visible = IsWindowVisible(window) != FALSE;
        allVisible = allVisible && visible;
        Write("   " + SampleOf(window)->title + ": " + (visible ? "visible" : "STILL HIDDEN") +
              "\n");
    }
    Write(allVisible ? "All of them are visible again.\n"
                     : "Some windows Velumo hid are still hidden.\n");
    if (!interactive && !scriptOk) {
        Write("The demo saw something it did not expect (marked above).\n");
    }
    return allVisible && (interactive || scriptOk) ? 0 : 1;
}

} // namespace demo
