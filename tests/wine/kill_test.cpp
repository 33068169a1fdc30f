// Nothing Velumo hid is lost when its host is ended abruptly. A child process loads a real DLL,
// hides windows of this test process through the entry points and is ended with
// TerminateProcess; a fresh child then loads a DLL (the same front end's or the other's): the
// windows are listed "H  D", and its last panel close shows them.
//
// A child is ended at an exact point without hooks in the product: the entry of the DLL's import
// address table through which it calls ShowWindow is repointed at a function that signals the
// test and sleeps, in place of a hide or right after a show. The windows belong to this process,
// which serves their messages while it waits: another process's ShowWindow waits for that.
//
// The program is both sides: "child ..." runs one child, anything else runs the tests.
#include "desktop_test.h"
#include "far3_host.h"
#include "import_slot.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum FrontEnd { kFar1, kFar3 };
enum Pause { kNoPause, kBeforeHide, kAfterShow };
const char* const kFrontEndNames[] = {"far1", "far3"};
const char* const kPauseNames[] = {"none", "before-hide", "after-show"};

// ---- a child: the DLL driven through a host stand-in -----------------------------------------

bool Fail(const std::string& why) {
    printf("child: %s\n", why.c_str());
    return false;
}

// Loads the front end's DLL of this build and starts its host with default settings.
bool StartHost(FrontEnd frontEnd) {
    const std::string dllPath = harness::BesideProgram(
        frontEnd == kFar1 ? VELUMO_DLL_RELATIVE_PATH : VELUMO_FAR3_DLL_RELATIVE_PATH);
    std::string error;
    if (frontEnd == kFar1) {
        static far1host::PluginExports exports;
        static std::vector<std::string> messages;
        if (!harness::LoadVelumo(dllPath, &exports, &messages, &error)) {
            return Fail(error);
        }
        far1host::Start(exports, messages, "Software\\VelumoWineTests\\Kill");
        return true;
    }
    static far3host::PluginExports exports;
    far3host::LanguageFile language;
    const std::string lng = dllPath.substr(0, dllPath.find_last_of('\\') + 1) + "VelumoEng.lng";
    if (!far3host::LoadLanguageFile(lng, &language)) {
        return Fail("cannot read " + lng);
    }
    if (!far3host::LoadPlugin(winetest::Widen(dllPath), &exports, &error)) {
        return Fail(error);
    }
    return far3host::Start(exports, language.messages, {}, winetest::Widen(dllPath)) ||
           Fail("the FAR 3 host refused the plug-in");
}

void TypeHide(FrontEnd frontEnd, const std::string& title) {
    if (frontEnd == kFar1) {
        far1host::TypeCommand("hide:" + title);
    } else {
        far3host::TypeCommand(L"hide:" + winetest::Widen(title));
    }
}

// Opens a panel and prints each listed window as "listed <handle> <status>".
void PrintListing(FrontEnd frontEnd) {
    if (frontEnd == kFar1) {
        HANDLE panel = far1host::OpenInActivePanel(far1::OPEN_PLUGINSMENU);
        for (const far1host::ListedItem& item : far1host::ListPanel(panel)) {
            printf("listed %llx %s\n", static_cast<unsigned long long>(item.userData),
                   item.status.c_str());
        }
        return;
    }
    far3host::OpenInActivePanel();
    for (const far3host::ListedItem& item : far3host::ListPanel(far3host::ActivePanel())) {
        if (!item.isDots && !item.customColumns.empty()) {
            printf("listed %llx %ls\n",
                   static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(item.userData.Data)),
                   item.customColumns[0].c_str());
        }
    }
}

void CloseLastPanel(FrontEnd frontEnd) {
    if (frontEnd == kFar1) {
        far1host::ClosePanels();
    } else {
        far3host::EnterDotDot();
    }
}

HANDLE g_pausedSignal;
Pause g_pause = kNoPause;
BOOL(WINAPI* g_showWindow)(HWND, int);

void SignalAndSleep() {
    SetEvent(g_pausedSignal);
    Sleep(INFINITE); // until the test ends this process
}

BOOL WINAPI PausingShowWindow(HWND window, int command) {
    if (command == SW_HIDE && g_pause == kBeforeHide) {
        SignalAndSleep();
    }
    const BOOL wasVisible = g_showWindow(window, command);
    if (command != SW_HIDE && g_pause == kAfterShow) {
        SignalAndSleep();
    }
    return wasVisible;
}

// Hides the windows titled `titles` one command each; with a pause, stops in the last command's
// hide, or in the show of a second command on the last title. Signals `ready` when it stops.
bool RunHider(FrontEnd frontEnd, Pause pause, HANDLE ready,
              const std::vector<std::string>& titles) {
    g_pausedSignal = ready;
    void** slot = winetest::ImportSlot(GetModuleHandleA("Velumo.dll"), "user32.dll", "ShowWindow");
    if (slot == nullptr) {
        return Fail("Velumo.dll imports no ShowWindow from user32.dll");
    }
    g_showWindow = reinterpret_cast<BOOL(WINAPI*)(HWND, int)>(
        winetest::ExchangeImport(slot, reinterpret_cast<void*>(PausingShowWindow)));
    for (size_t i = 0; i < titles.size(); ++i) {
        g_pause = i + 1 == titles.size() && pause == kBeforeHide ? pause : kNoPause;
        TypeHide(frontEnd, titles[i]);
    }
    if (pause == kAfterShow) {
        g_pause = pause;
        TypeHide(frontEnd, titles.back());
    }
    SignalAndSleep();
    return true;
}

template <size_t N> int IndexOf(const char* const (&names)[N], const char* name) {
    for (size_t i = 0; i < N; ++i) {
        if (strcmp(names[i], name) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// child hide FRONT-END PAUSE READY-EVENT TITLE... | child adopt FRONT-END
int RunChild(int argc, char** argv) {
    const int frontEnd = argc > 1 ? IndexOf(kFrontEndNames, argv[1]) : -1;
    const bool hider = argc > 4 && strcmp(argv[0], "hide") == 0;
    const int pause = hider ? IndexOf(kPauseNames, argv[2]) : kNoPause;
    if (frontEnd < 0 || pause < 0 || (!hider && strcmp(argv[0], "adopt") != 0)) {
        Fail("bad arguments");
        return 2;
    }
    if (!StartHost(static_cast<FrontEnd>(frontEnd))) {
        return 1;
    }
    if (hider) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
        return ready != nullptr &&
                       RunHider(static_cast<FrontEnd>(frontEnd), static_cast<Pause>(pause), ready,
                                std::vector<std::string>(argv + 4, argv + argc))
                   ? 0
                   : 1;
    }
    PrintListing(static_cast<FrontEnd>(frontEnd));
    CloseLastPanel(static_cast<FrontEnd>(frontEnd));
    return 0;
}

// ---- the tests -----------------------------------------------------------------------------

using namespace winetest;

// Whether Velumo's record of hidden windows for this Windows session has an entry for `window`:
// each value is named by a handle's eight hexadecimal digits.
bool IsRecorded(HWND window) {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const std::string path = "Software\\Velumo\\HiddenWindows\\Session" + std::to_string(session);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    const bool recorded = RegQueryValueExA(key, HandleText(window).c_str(), nullptr, nullptr,
                                           nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return recorded;
}

class KillTest : public DesktopTest {
  protected:
    struct Child {
        std::string output; // the file its standard output and error go to
        std::unique_ptr<ChildProcess> process;
    };

    void TearDown() override {
        for (Child& child : children_) {
            child.process.reset();
            DeleteFileA(child.output.c_str());
        }
        DesktopTest::TearDown();
    }

    // This program as a child on this test's desktop, "child " and `arguments` on its command
    // line, its output to a file of its own.
    Child& StartChild(const std::string& arguments) {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        Child child{std::string(folder) + "velumo-kill-" + std::to_string(GetCurrentProcessId()) +
                        "-" + std::to_string(++started_) + ".txt",
                    nullptr};
        SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
        HANDLE output = CreateFileA(child.output.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    &inherited, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, output) << child.output << ": error " << GetLastError();
        wchar_t program[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        child.process.reset(new ChildProcess(
            L"\"" + std::wstring(program) + L"\" child " + Widen(arguments), output));
        CloseHandle(output);
        children_.push_back(std::move(child));
        return children_.back();
    }

    std::string OutputOf(const Child& child) {
        std::ifstream file(child.output);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // A child of `frontEnd` that hides `windows` by their titles and stops as `pause` says;
    // false, with a failure, when it did not get there.
    bool StartHider(FrontEnd frontEnd, Pause pause, const std::vector<HWND>& windows) {
        const std::string readyName = "VelumoKillReady-" + std::to_string(GetCurrentProcessId());
        HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, readyName.c_str());
        std::string arguments = std::string("hide ") + kFrontEndNames[frontEnd] + " " +
                                kPauseNames[pause] + " " + readyName;
        for (HWND window : windows) {
            arguments += " \"" + WindowTitle(window) + "\"";
        }
        hider_ = &StartChild(arguments);
        const bool stopped = WaitServing(ready, hider_->process->Handle());
        CloseHandle(ready);
        EXPECT_TRUE(stopped) << "the hider did not stop where it was to: " << OutputOf(*hider_);
        return stopped;
    }

    void EndHider() { EXPECT_TRUE(hider_->process->End()); }

    // A fresh child of `frontEnd` lists the desktop and closes its last panel; the status each
    // window of this test was listed with.
    std::map<HWND, std::string> Adopt(FrontEnd frontEnd) {
        const Child& child = StartChild(std::string("adopt ") + kFrontEndNames[frontEnd]);
        DWORD exitCode = 1;
        EXPECT_TRUE(WaitServing(child.process->Handle(), nullptr) &&
                    GetExitCodeProcess(child.process->Handle(), &exitCode) && exitCode == 0)
            << "the adopting child failed, status " << exitCode << ": " << OutputOf(child);
        std::map<HWND, std::string> listed;
        std::istringstream output(OutputOf(child));
        unsigned long long handle = 0;
        int at = 0;
        for (std::string line; std::getline(output, line);) { // "listed <handle> <4-letter status>"
            HWND window = nullptr;
            if (sscanf(line.c_str(), "listed %llx%n", &handle, &at) == 1 &&
                line.size() >= static_cast<size_t>(at) + 5 &&
                IsOwnWindow(window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle)))) {
                listed[window] = line.substr(static_cast<size_t>(at) + 1, 4);
            }
        }
        return listed;
    }

    std::vector<HWND> MakeWindows(int count) {
        std::vector<HWND> made;
        for (int i = 0; i < count; ++i) {
            made.push_back(MakeWindow(std::string("Velumo kill ") + static_cast<char>('A' + i)));
        }
        return made;
    }

    std::deque<Child> children_; // a deque: hider_ stays valid
    Child* hider_ = nullptr;
    static int started_; // children started by this process: each output file is new
};

int KillTest::started_ = 0;

struct KillCase {
    const char* name;
    FrontEnd hider;
    Pause pause;
    FrontEnd adopter;
};

void PrintTo(const KillCase& c, std::ostream* out) {
    *out << c.name;
}

class KillPoints : public KillTest, public ::testing::WithParamInterface<KillCase> {};

// Three windows: two hidden, the third stopped in limbo (its entry written, its hide not made;
// or its show made, its entry not removed). Then the hider is ended.
TEST_P(KillPoints, TheNextVelumoTakesTheHiddenWindowsAndDropsTheEntryOfTheVisibleOne) {
    const KillCase& c = GetParam();
    const std::vector<HWND> windows = MakeWindows(3);
    ASSERT_TRUE(StartHider(c.hider, c.pause, windows));
    EXPECT_HIDDEN(windows[0]);
    EXPECT_HIDDEN(windows[1]);
    EXPECT_VISIBLE(windows[2]);
    for (HWND window : windows) {
        EXPECT_TRUE(IsRecorded(window)) << Named(window) << ": not in the record at the stop";
    }
    EndHider();
    std::map<HWND, std::string> listed = Adopt(c.adopter);
    const char* const expected[] = {"H  D", "H  D", "    "};
    for (size_t i = 0; i < windows.size(); ++i) {
        EXPECT_EQ(expected[i], listed[windows[i]]) << Named(windows[i]) << " as listed";
        EXPECT_VISIBLE(windows[i]);
        EXPECT_FALSE(IsRecorded(windows[i])) << Named(windows[i]) << ": left in the record";
    }
}

const KillCase kKillCases[] = {
    {"Far1StoppedBeforeAHideFar3Adopts", kFar1, kBeforeHide, kFar3},
    {"Far3StoppedBeforeAHideFar1Adopts", kFar3, kBeforeHide, kFar1},
    {"Far1StoppedAfterAShowFar1Adopts", kFar1, kAfterShow, kFar1},
    {"Far3StoppedAfterAShowFar3Adopts", kFar3, kAfterShow, kFar3},
};
INSTANTIATE_TEST_SUITE_P(Kill, KillPoints, ::testing::ValuesIn(kKillCases),
                         [](const ::testing::TestParamInfo<KillCase>& info) {
                             return std::string(info.param.name);
                         });

// A Velumo beside a live one (a second FAR) leaves its windows alone; once that one is ended
// after its hides, the next Velumo takes them.
TEST_F(KillTest, ALiveHidersWindowsAreLeftAloneAndTakenOnceItIsEnded) {
    const std::vector<HWND> windows = MakeWindows(2);
    ASSERT_TRUE(StartHider(kFar3, kNoPause, windows));
    std::map<HWND, std::string> beside = Adopt(kFar1);
    for (HWND window : windows) {
        EXPECT_EQ(0u, beside.count(window)) << Named(window) << " listed beside its hider";
        EXPECT_HIDDEN(window);
        EXPECT_TRUE(IsRecorded(window)) << Named(window) << ": not in the record";
    }
    EndHider();
    std::map<HWND, std::string> after = Adopt(kFar3);
    for (HWND window : windows) {
        EXPECT_EQ("H  D", after[window]) << Named(window) << " as listed";
        EXPECT_VISIBLE(window);
        EXPECT_FALSE(IsRecorded(window)) << Named(window) << ": left in the record";
    }
}

} // namespace

int main(int argc, char** argv) {
    // Unbuffered: whatever a process printed is there even when it is ended abruptly.
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 1 && strcmp(argv[1], "child") == 0) {
        return RunChild(argc - 2, argv + 2);
    }
    ::testing::InitGoogleTest(&argc, argv);
    winetest::g_desktopError = harness::UseOwnDesktop(harness::ProcessDesktopName(VELUMO_DESKTOP));
    return RUN_ALL_TESTS();
}
