// The Velumo demo: the real Velumo.dll in a FAR host stand-in, on sample windows of its own (see
// demo/run_demo.sh). velumo_demo.exe [--dll PATH\Velumo.dll]; without --dll the
// plug-in of this build, found from the demo's own folder.
#include "velumo_demo.h"

#include "screen_text.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace demo {
namespace {

constexpr int kTitleColumns = 19; // the introduction's title column

// The longest wait for a started program's window.
constexpr DWORD kProgramStartMilliseconds = 60000;

struct SampleWindow {
    std::string title; // UTF-8
    std::string role;
    HWND handle;
    std::string program; // the file name of the program it belongs to
};

struct DemoState {
    std::vector<SampleWindow> windows;
    std::vector<PROCESS_INFORMATION> programs; // started for samples
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

// Does the step's command (`windows`: the items it names; `text`: what follows the verb); false
// when it could not be done and the run cannot go on.
bool Perform(const std::string& verb, const std::vector<HWND>& windows, const std::string& text) {
    if (verb == "list") {
        if (!OpenFromMenu()) {
            Write("Velumo did not open its panel.\n");
            return false;
        }
    } else if (verb == "f8") {
        PressF8(windows);
    } else if (verb == "f3") {
        PressF3(windows[0]);
    } else if (verb == "hide") {
        return HideCommand(text);
    } else if (verb == "config") {
        ShowConfiguration();
    } else {
        const std::string closing = LeavePanel();
        if (closing.empty()) {
            Write("Velumo did not ask FAR to close the panel on \"..\".\n");
            return false;
        }
        Write("   Enter on \"..\": " + closing + "; the file panel shows " + FilePanelText() +
              "\n");
    }
    return true;
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
void CheckExpect(const std::string& expect) {
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
        CheckListedExactly(title);
    } else {
        Check(title + " and " + detail + " are not listed",
              kind == "unlisted" && number == 0 && RowNumber(SampleNamed(detail)) == 0);
    }
}

// "== Step i of n: caption", the command (and the panel drawn again after it), then the checks;
// stops at the first step that cannot go on. True when every step ran and nothing unexpected
// was seen. After leaving the panel the file panel must show kStartFolder again.
bool RunScript(const std::vector<Step>& steps) {
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
        if (!Perform(verb, windows, rest)) {
            return false;
        }
        if (verb != "config" && verb != "close") {
            ShowPanel(step.cursor.empty() ? nullptr : SampleNamed(step.cursor));
        }
        for (const std::string& expect : Split(step.expects, ';')) {
            CheckExpect(expect);
        }
        if (verb == "close" && FilePanelText() != kStartFolder) {
            Check("the file panel is not in the folder Velumo was opened from", false);
        }
    }
    return !g_demo.unexpected;
}

// The file name of the demo's own program.
std::string OwnFileName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string whole = path;
    return whole.substr(whole.find_last_of("\\/") + 1);
}

// Starts `program` on the demo's desktop and gives its visible top-level window once it has one
// titled `title`; null (said on stderr) when it cannot be started or shows no such window in
// time. The program is ended when the run finishes.
HWND StartProgramWindow(const char* program, const std::wstring& title) {
    wchar_t desktop[256] = L"";
    const bool named = GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME,
                                                 desktop, sizeof desktop, nullptr) != FALSE;
    std::wstring line = ToWide(program, CP_ACP);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = named ? desktop : nullptr;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        fprintf(stderr, "velumo_demo: cannot start %s (error %lu)\n", program, GetLastError());
        return nullptr;
    }
    g_demo.programs.push_back(started);
    WaitForInputIdle(started.hProcess, kProgramStartMilliseconds);
    const DWORD begun = GetTickCount();
    do {
        harness::PumpMessages();
        for (HWND window : harness::TopLevelWindows()) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            wchar_t shown[256] = L"";
            GetWindowTextW(window, shown, 256);
            if (processId == started.dwProcessId && IsWindowVisible(window) &&
                GetWindow(window, GW_OWNER) == nullptr && title == shown) {
                return window;
            }
        }
        Sleep(50);
    } while (GetTickCount() - begun < kProgramStartMilliseconds);
    fprintf(stderr, "velumo_demo: %s shows no window of the expected title\n", program);
    return nullptr;
}

void EndPrograms() {
    for (const PROCESS_INFORMATION& started : g_demo.programs) {
        TerminateProcess(started.hProcess, 0);
        WaitForSingleObject(started.hProcess, kProgramStartMilliseconds);
        CloseHandle(started.hProcess);
        CloseHandle(started.hThread);
    }
    g_demo.programs.clear();
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

std::wstring ToWide(const std::string& text, UINT codePage) {
    int size = static_cast<int>(text.size());
    int length = size > 0 ? MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
    }
    return wide;
}

bool MakeSamples(const std::vector<Sample>& samples) {
    for (auto sample = samples.rbegin(); sample != samples.rend(); ++sample) {
        HWND owner = sample->owner != nullptr ? SampleNamed(sample->owner) : nullptr;
        HWND window = sample->program != nullptr
                          ? StartProgramWindow(sample->program, ToWide(sample->title, CP_UTF8))
                          : MakeWindow(sample->title, sample->style, owner);
        if (window == nullptr) {
            fprintf(stderr, "velumo_demo: cannot create the sample window \"%s\"\n",
                    sample->title.c_str());
            return false;
        }
        harness::PumpMessages();
        g_demo.windows.insert(g_demo.windows.begin(),
                              {sample->title, sample->role, window,
                               sample->program != nullptr ? sample->program : OwnFileName()});
    }
    return true;
}

bool IsSample(HWND window) {
    return SampleOf(window) != nullptr;
}

std::string ProgramOfSample(HWND window) {
    const SampleWindow* sample = SampleOf(window);
    return sample != nullptr ? sample->program : "";
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

int RunAndFinish(const std::string& hostLine, const std::string& desktop,
                 const std::vector<Step>& steps, void (*exitFar)()) {
    WriteIntroduction(hostLine, desktop);
    const bool scriptOk = RunScript(steps);
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
    EndPrograms();
    if (!scriptOk) {
        Write("The demo saw something it did not expect (marked above).\n");
    }
    return allVisible && scriptOk ? 0 : 1;
}

} // namespace demo

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // UTF-8 bytes go out as they are, lines end in LF
    SetConsoleOutputCP(CP_UTF8);          // and a Windows console shows them as UTF-8
    std::string dllPath;
    if (argc == 3 && strcmp(argv[1], "--dll") == 0) {
        dllPath = argv[2];
    } else if (argc == 1) {
        dllPath = harness::BesideProgram(VELUMO_FAR3_DLL_RELATIVE_PATH);
    } else {
        fprintf(stderr, "usage: velumo_demo [--dll PATH\\Velumo.dll]\n");
        return 2;
    }
    // A desktop of the demo's own, so that EnumWindows sees the sample windows and not those
    // of the machine (Wine puts a few hidden helper windows of its own on every desktop).
    const char* desktopName = "VelumoDemo";
    const std::string desktop = harness::UseOwnDesktop(desktopName).empty()
                                    ? std::string("the demo's own desktop \"") + desktopName + "\""
                                    : std::string("the current desktop (no desktop of its own)");
    return demo::RunFar3Demo(dllPath, desktop);
}
