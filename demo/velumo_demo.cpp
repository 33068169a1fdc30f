// The Velumo demo: the real Velumo.dll in a FAR host stand-in, on sample windows of its own (see
// demo/run_demo.sh). velumo_demo.exe [--far1] [--interactive] [--dll PATH\Velumo.dll]; without
// --dll the plug-in of this build, found from the demo's own folder.
#include "velumo_demo.h"

#include "screen_text.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace demo {
namespace {

constexpr int kLineCapacity = 1024; // one command line of the interactive run
constexpr int kTitleColumns = 19;   // the introduction's title column

struct SampleWindow {
    std::string title; // UTF-8
    std::string role;
    HWND handle;
};

struct DemoState {
    std::vector<SampleWindow> windows;
    std::vector<ShownRow> pictureRows;
    std::vector<HWND> hiddenByVelumo; // windows seen going from visible to hidden by a call
    bool unexpected = false;
};

DemoState g_demo;

const SampleWindow* SampleOf(HWND window) {
    for (const SampleWindow& sample : g_demo.windows) {
        if (sample.handle == window) {
            return &sample;
        }
    }
    return nullptr;
}

// 1-based; 0 when the window is not in the last picture.
int RowNumber(HWND window) {
    for (size_t i = 0; window != nullptr && i < g_demo.pictureRows.size(); ++i) {
        if (g_demo.pictureRows[i].window == window) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

void PrintHelp(const FrontEnd& frontEnd) {
    Write("Commands (n is the item number shown left of the panel):\n"
          "  list          show the active panel (opens one from the plug-ins menu if none)\n"
          "  F8 n [m ...]  toggle the windows of items n, m, ... (hide or show)\n"
          "  F3 n          bring the window of item n to the front (Alt+F3: A3 n)\n"
          "  hide TEXT     hide:TEXT on FAR's command line in the active panel: opens a new\n"
          "                Velumo instance there (closing the one the panel showed)\n"
          "                " +
          std::string(frontEnd.hideNote) +
          "\n"
          "  tab           make the other panel the active one\n"
          "  config        the configuration dialog (closed with Esc)\n"
          "  close         Enter on \"..\": closes the active panel\n"
          "  quit          close every panel and check the windows Velumo hid\n");
}

// The windows of the last picture's rows numbered in `text`; none when a word is not one.
std::vector<HWND> NumberedWindows(const std::string& text) {
    std::istringstream numbers(text);
    std::vector<HWND> windows;
    for (long number = 0; numbers >> number;) {
        if (number < 1 || number > static_cast<long>(g_demo.pictureRows.size())) {
            return std::vector<HWND>();
        }
        windows.push_back(g_demo.pictureRows[static_cast<size_t>(number - 1)].window);
    }
    return numbers.eof() ? windows : std::vector<HWND>();
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
        *line = panelview::Utf16ToUtf8(std::wstring(wide, read).c_str());
        return true;
    }
    char bytes[kLineCapacity];
    if (fgets(bytes, sizeof(bytes), stdin) == nullptr) {
        return false;
    }
    line->assign(bytes);
    return true;
}

bool Open(const FrontEnd& frontEnd) {
    if (!frontEnd.open()) {
        Write("Velumo did not open its panel.\n");
        return false;
    }
    return true;
}

bool Leave(const FrontEnd& frontEnd) {
    if (!frontEnd.velumoActive()) {
        Write("No Velumo panel is active.\n");
        return false;
    }
    const std::string closing = frontEnd.leave();
    if (closing.empty()) {
        Write("Velumo did not ask FAR to close the panel on \"..\".\n");
        return false;
    }
    Write("   Enter on \"..\": " + closing + "; the file panel shows " + frontEnd.filePanelText() +
          "\n");
    return true;
}

// Does the command (`windows`: the items it names; `text`: what follows hide); false when it
// could not be done and nothing is to be drawn.
bool Perform(const FrontEnd& frontEnd, const std::string& verb, const std::vector<HWND>& windows,
             const std::string& text) {
    if (verb == "list") {
        return frontEnd.velumoActive() || Open(frontEnd);
    } else if (verb == "f8") {
        frontEnd.toggle(windows);
    } else if (verb == "f3" || verb == "a3") {
        frontEnd.activate(windows[0], verb == "a3");
    } else if (verb == "hide") {
        return frontEnd.hide(text);
    } else if (verb == "tab") {
        frontEnd.tab();
    } else if (verb == "config") {
        frontEnd.configure();
    } else if (verb == "close") {
        return Leave(frontEnd);
    } else {
        Write("Unknown command \"" + verb + "\"; help lists the commands.\n");
        return false;
    }
    return true;
}

// Help, Velumo opened in the active panel, then commands from standard input until quit or
// its end.
void RunInteractive(const FrontEnd& frontEnd) {
    PrintHelp(frontEnd);
    if (Open(frontEnd)) {
        frontEnd.show(nullptr, true);
    }
    std::string line;
    for (;;) {
        Write("> ");
        if (!ReadLine(&line)) {
            Write("\n");
            return;
        }
        const size_t start = line.find_first_not_of(" \t");
        size_t end = line.size();
        while (end > 0 && isspace(static_cast<unsigned char>(line[end - 1]))) {
            --end;
        }
        const std::string command = start < end ? line.substr(start, end - start) : "";
        const size_t space = command.find(' ');
        std::string verb = command.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
        for (char& c : verb) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        const bool namesItems = verb == "f8" || verb == "f3" || verb == "a3";
        const std::vector<HWND> windows = namesItems ? NumberedWindows(rest) : std::vector<HWND>();
        if (verb.empty()) {
            continue;
        } else if (verb == "quit" || verb == "exit") {
            return;
        } else if (verb == "help" || verb == "?") {
            PrintHelp(frontEnd);
            continue;
        } else if (namesItems && (!frontEnd.velumoActive() || windows.empty() ||
                                  (verb != "f8" && windows.size() != 1))) {
            Write("Give item numbers of the last listing (list shows it).\n");
            continue;
        }
        const bool hideTyped = verb.compare(0, 5, "hide:") == 0;
        if (!Perform(frontEnd, hideTyped ? "hide" : verb, windows,
                     hideTyped ? command.substr(5) : rest)) {
            continue;
        }
        if (frontEnd.velumoActive()) {
            frontEnd.show(windows.empty() ? nullptr : windows[0], true);
        } else {
            Write("The active panel is a file panel (" + frontEnd.filePanelText() +
                  "); list opens Velumo there.\n");
        }
    }
}

// `text` cut at each `separator`; none of an empty text.
std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (size_t start = 0; !text.empty() && start <= text.size();) {
        size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// One of a step's expectations ("kind:title" or "kind:title=detail"), checked and written.
void CheckExpect(const FrontEnd& frontEnd, const std::string& expect) {
    const size_t colon = expect.find(':');
    const size_t equals = expect.find('=');
    const std::string kind = expect.substr(0, colon);
    const std::string title = expect.substr(colon + 1, equals - colon - 1);
    const std::string detail = equals == std::string::npos ? "" : expect.substr(equals + 1);
    const HWND window = SampleNamed(title);
    const int number = RowNumber(window);
    if (kind == "visible" || kind == "hidden") {
        bool visible = IsWindowVisible(window) != FALSE;
        Check("IsWindowVisible(\"" + title + "\") = " + (visible ? "1" : "0"),
              visible == (kind == "visible"));
    } else if (kind == "front") {
        bool foreground = GetForegroundWindow() == window;
        Check("GetForegroundWindow() is " + title + ": " + (foreground ? "yes" : "no"), foreground);
    } else if (kind == "status") {
        const std::string status =
            number > 0 ? g_demo.pictureRows[static_cast<size_t>(number - 1)].status : "";
        Check("status of \"" + title + "\" = " + (number > 0 ? "\"" + status + "\"" : "not listed"),
              number > 0 && status == detail);
    } else if (kind == "exact") {
        frontEnd.checkExactTitle(title);
    } else {
        Check(title + " and " + detail + " are not listed",
              kind == "unlisted" && number == 0 && RowNumber(SampleNamed(detail)) == 0);
    }
}

// "== Step i of n: caption", the command (and the panel drawn again after it), then the checks;
// stops at the first step that cannot go on. True when every step ran and nothing unexpected
// was seen. After leaving the panel the file panel must show kStartFolder again.
bool RunScript(const FrontEnd& frontEnd, const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        Write("\n== Step " + std::to_string(i + 1) + " of " + std::to_string(steps.size()) + ": " +
              step.caption + "\n");
        const size_t space = step.command.find(' ');
        const std::string verb = step.command.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : step.command.substr(space + 1);
        std::vector<HWND> windows;
        const bool namesItems = verb == "f8" || verb == "f3";
        for (const std::string& title :
             namesItems ? Split(rest, '|') : std::vector<std::string>()) {
            if (RowNumber(SampleNamed(title)) == 0) {
                Write("The sample windows are not listed.\n");
                return false;
            }
            windows.push_back(SampleNamed(title));
        }
        if (!Perform(frontEnd, verb, windows, rest)) {
            return false;
        }
        if (verb != "config" && verb != "close") {
            frontEnd.show(step.cursor.empty() ? nullptr : SampleNamed(step.cursor), false);
        }
        for (const std::string& expect : Split(step.expects, ';')) {
            CheckExpect(frontEnd, expect);
        }
        if (verb == "close" && frontEnd.filePanelText() != kStartFolder) {
            Check("the file panel is not in the folder Velumo was opened from", false);
        }
    }
    return !g_demo.unexpected;
}

// `hostLine`, then the sample windows with their handles and roles.
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
    int size = static_cast<int>(utf8.size());
    int length =
        size > 0 ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0)
                 : 0;
    if (length <= 0) {
        return size == 0;
    }
    wide->resize(static_cast<size_t>(length));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &(*wide)[0],
                               length) == length;
}

bool MakeSamples(const FrontEnd& frontEnd, const std::vector<Sample>& samples) {
    for (auto sample = samples.rbegin(); sample != samples.rend(); ++sample) {
        HWND owner = sample->owner != nullptr ? SampleNamed(sample->owner) : nullptr;
        HWND window = frontEnd.makeWindow(sample->title, sample->style, owner, sample->exStyle);
        if (window == nullptr) {
            fprintf(stderr, "velumo_demo: cannot create the sample window \"%s\"\n",
                    sample->title.c_str());
            return false;
        }
        harness::PumpMessages();
        g_demo.windows.insert(g_demo.windows.begin(), {sample->title, sample->role, window});
    }
    return true;
}

bool IsSample(HWND window) {
    return SampleOf(window) != nullptr;
}

HWND SampleNamed(const std::string& title) {
    for (const SampleWindow& window : g_demo.windows) {
        if (window.title == title) {
            return window.handle;
        }
    }
    return nullptr;
}

void WatchHiding(void (*call)(void*), void* context) {
    std::vector<bool> before;
    for (const SampleWindow& window : g_demo.windows) {
        before.push_back(IsWindowVisible(window.handle) != FALSE);
    }
    call(context);
    harness::PumpMessages();
    for (size_t i = 0; i < g_demo.windows.size(); ++i) {
        HWND window = g_demo.windows[i].handle;
        if (before[i] && !IsWindowVisible(window) &&
            std::find(g_demo.hiddenByVelumo.begin(), g_demo.hiddenByVelumo.end(), window) ==
                g_demo.hiddenByVelumo.end()) {
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

void Check(const std::string& line, bool asExpected) {
    Write("   " + line + (asExpected ? "" : "   <-- unexpected") + "\n");
    g_demo.unexpected = g_demo.unexpected || !asExpected;
}

int RunAndFinish(const FrontEnd& frontEnd, const std::string& hostLine, const std::string& desktop,
                 bool interactive, const std::vector<Step>& steps, void (*exitFar)()) {
    WriteIntroduction(hostLine, desktop);
    bool scriptOk = true;
    if (interactive) {
        RunInteractive(frontEnd);
    } else {
        scriptOk = RunScript(frontEnd, steps);
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
    if (!scriptOk) {
        Write("The demo saw something it did not expect (marked above).\n");
    }
    return allVisible && scriptOk ? 0 : 1;
}

} // namespace demo

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // UTF-8 bytes go out as they are, lines end in LF
    SetConsoleOutputCP(CP_UTF8);          // and a Windows console shows them as UTF-8
    bool far1 = false;
    bool interactive = false;
    std::string dllPath;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--far1") == 0) {
            far1 = true;
        } else if (strcmp(argv[i], "--interactive") == 0) {
            interactive = true;
        } else if (strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
            dllPath = argv[++i];
        } else {
            fprintf(stderr,
                    "usage: velumo_demo [--far1] [--interactive] [--dll PATH\\Velumo.dll]\n");
            return 2;
        }
    }
    if (dllPath.empty()) {
        dllPath =
            harness::BesideProgram(far1 ? VELUMO_DLL_RELATIVE_PATH : VELUMO_FAR3_DLL_RELATIVE_PATH);
    }
    // A desktop of the demo's own, so that EnumWindows sees the sample windows and not those
    // of the machine (Wine puts a few hidden helper windows of its own on every desktop).
    const char* desktopName = "VelumoDemo";
    const std::string desktop = harness::UseOwnDesktop(desktopName).empty()
                                    ? std::string("the demo's own desktop \"") + desktopName + "\""
                                    : std::string("the current desktop (no desktop of its own)");
    return far1 ? demo::RunFar1Demo(dllPath, interactive, desktop)
                : demo::RunFar3Demo(dllPath, interactive, desktop);
}
