// The windows Velumo hid when its host ends without closing anything: the next Velumo, of either
// front end, lists them "H  D" and shows them at its last close. Entries that name another
// window, a running Velumo's window or nothing sound are never acted on.
#include "core/hidden_window_record.h"
#include "core/open_panels.h"
#include "core/visibility_actions.h"
#include "core/window_catalogue.h"
#include "far3/host_services.h"
#include "far3_fixture.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <set>

namespace {

using far3host::Text;

constexpr char kRecordKey[] = "Software\\Velumo\\HiddenWindows\\Session1";

enum class Front { Far1, Far3 };

// Panels of killed hosts: never closed, since their process is gone; kept reachable to the end
// (no destructor of a static frees the list before the leak check looks).
std::vector<HANDLE>* const g_deadPanels = new std::vector<HANDLE>;

simwin::WindowSpec Spec(const std::string& title, bool visible, DWORD process,
                        const std::u16string& className = u"TestWindow") {
    simwin::WindowSpec spec;
    spec.title = title;
    spec.visible = visible;
    spec.process = process;
    spec.className = className;
    return spec;
}

void StartHost(Front front) {
    if (front == Front::Far1) {
        StartFar1();
    } else if (!StartFar3()) {
        ADD_FAILURE() << Far3Anomalies();
    }
}

// The host ends without a single close: every piece of the plug-in's process state is lost and
// `next` starts in a new process. With `sideBySide` the old process runs on (a second FAR).
void NewHost(Front next, bool sideBySide = false, bool objectKept = false) {
    for (int side = 0; side < 2; ++side) {
        g_deadPanels->push_back(far1host::PanelAt(far1host::PanelSide(side)).plugin);
        g_deadPanels->push_back(far3host::PanelAt(far3host::PanelSide(side)).plugin);
    }
    far3host::KillFar();
    g_hiddenWindows.Reset();
    g_openPanelCount = 0;
    g_settings = kDefaultSettings;
    memset(&far3::HostServices, 0, sizeof(far3::HostServices));
    if (sideBySide) {
        simwin::SetCurrentTestProcess(simwin::StartTestProcess());
    } else {
        simwin::RestartCurrentProcess(objectKept);
    }
    StartHost(next);
}

void OpenPanel(Front front) {
    if (front == Front::Far1) {
        far1host::OpenInActivePanel(far1::OPEN_PLUGINSMENU);
    } else {
        far3host::OpenInActivePanel();
    }
}

void ClosePanel(Front front) {
    if (front == Front::Far1) {
        far1host::ClosePanels();
    } else {
        far3host::EnterDotDot();
    }
}

void HideByCommand(Front front, const std::string& text) {
    if (front == Front::Far1) {
        far1host::TypeCommand("hide:" + text);
    } else {
        far3host::TypeCommand(Text(u"hide:") + Text(text.begin(), text.end()));
    }
}

// The window's status in the active panel of the front end, "-" when it is not listed.
std::string Status(Front front, HWND window) {
    char handle[kHandleTextSize];
    FormatHandleText(window, handle);
    if (front == Front::Far1) {
        const HANDLE panel = far1host::PanelAt(far1host::ActivePanel()).plugin;
        for (const far1host::ListedItem& item : far1host::ListPanel(panel)) {
            if (item.handleText == handle) {
                return item.status;
            }
        }
        return "-";
    }
    for (const far3host::ListedItem& item : far3host::ListPanel(far3host::ActivePanel())) {
        if (!item.isDots && item.customColumns.at(1) == Text(handle, handle + 8)) {
            return std::string(item.customColumns[0].begin(), item.customColumns[0].end());
        }
    }
    return "-";
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    PutLittleEndian(bytes, at, value, 4);
}

// An entry as a Velumo in process `hider` writes it for a window of process `owner`.
std::vector<uint8_t> EntryBytes(HWND window, DWORD owner, DWORD hider, const std::u16string& cls) {
    return RecordEntryBytes(
        {window, owner, ProcessStartTime(owner), hider, ProcessStartTime(hider), cls});
}

std::string ValueName(HWND window) {
    char handle[kHandleTextSize];
    FormatHandleText(window, handle);
    return handle;
}

using HiddenWindowRecord = DesktopTest;

TEST_F(HiddenWindowRecord, WindowsOfAKilledHostAreListedByTheNextOfEitherFrontEnd) {
    struct Case {
        Front hider, adopter;
        bool objectKept; // somebody still holds the killed host's process object
    };
    for (const Case& c :
         {Case{Front::Far1, Front::Far3, false}, Case{Front::Far3, Front::Far1, true},
          Case{Front::Far1, Front::Far1, true}, Case{Front::Far3, Front::Far3, false}}) {
        SCOPED_TRACE(testing::Message() << int(c.hider) << " then " << int(c.adopter));
        ResetProcessState();
        StartHost(c.hider);
        const HWND one = simwin::CreateTestWindow("Editor one");
        const HWND two = simwin::CreateTestWindow(
            Spec("Editor two", true, simwin::StartTestProcess(), u"Other class"));
        HideByCommand(c.hider, "Editor");
        ASSERT_FALSE(IsWindowVisible(one) || IsWindowVisible(two));
        EXPECT_TRUE(simwin::RegistryKeyIsVolatile(kRecordKey));
        EXPECT_FALSE(simwin::RegistryKeyIsVolatile("Software\\Velumo"));

        NewHost(c.adopter, false, c.objectKept);
        OpenPanel(c.adopter);
        EXPECT_EQ("H  D", Status(c.adopter, one));
        EXPECT_EQ("H  D", Status(c.adopter, two));
        ToggleWindow(one); // F8 as on any window this Velumo hid
        EXPECT_TRUE(IsWindowVisible(one));
        EXPECT_EQ(std::vector<std::string>{ValueName(two)}, simwin::RegistryValueNames(kRecordKey));
        ClosePanel(c.adopter); // the last close shows the rest and leaves no entry
        EXPECT_TRUE(IsWindowVisible(two));
        EXPECT_TRUE(simwin::RegistryValueNames(kRecordKey).empty());
        EXPECT_EQ(0, simwin::OpenProcessHandleCount());
        EXPECT_EQ(0, simwin::OpenRegistryKeyCount());
    }
}

// An end between writing the entry and hiding the window leaves an entry for a visible window.
TEST_F(HiddenWindowRecord, EntriesOfWindowsGoneVisibleOrReplacedAreDroppedUntouched) {
    struct Case {
        const char* what;
        std::function<void(HWND window, DWORD owner)> change;
        bool visibleAfter;
    };
    const Case cases[] = {
        {"window destroyed", [](HWND w, DWORD) { simwin::DestroyTestWindow(w); }, false},
        {"shown by its program", [](HWND w, DWORD) { simwin::SetTestWindowVisible(w, true); },
         true},
        {"handle reused, another class",
         [](HWND w, DWORD owner) {
             simwin::ReplaceTestWindow(w, Spec("Target", false, owner, u"Another"));
         },
         false},
        {"handle reused, another process",
         [](HWND w, DWORD) {
             simwin::ReplaceTestWindow(w, Spec("Target", false, simwin::StartTestProcess()));
         },
         false},
        {"shown by its program, its parent hidden",
         [](HWND w, DWORD owner) {
             simwin::WindowSpec child = Spec("Target", true, owner);
             child.parent = simwin::CreateTestWindow("Parent", false);
             child.style = WS_CHILD;
             simwin::ReplaceTestWindow(w, child);
         },
         false},
        {"process id reused",
         [](HWND w, DWORD owner) {
             simwin::EndTestProcess(owner);
             simwin::ReplaceTestWindow(w, Spec("Target", false, simwin::StartTestProcess(owner)));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetProcessState();
        StartHost(Front::Far3);
        const DWORD owner = simwin::StartTestProcess();
        const HWND window = simwin::CreateTestWindow(Spec("Target", true, owner));
        HideByCommand(Front::Far3, "Target");
        c.change(window, owner);
        NewHost(Front::Far1);
        OpenPanel(Front::Far1);
        EXPECT_NE("H  D", Status(Front::Far1, window));
        EXPECT_FALSE(g_hiddenWindows.Contains(window));
        ClosePanel(Front::Far1);
        EXPECT_EQ(c.visibleAfter, IsWindowVisible(window) != 0);
        EXPECT_TRUE(simwin::RegistryValueNames(kRecordKey).empty());
    }
}

TEST_F(HiddenWindowRecord, AVelumoSideBySideLeavesTheOthersWindowsUntilItEnds) {
    StartHost(Front::Far3);
    const DWORD first = simwin::CurrentTestProcess();
    const HWND window = simwin::CreateTestWindow("Target");
    HideByCommand(Front::Far3, "Target");
    NewHost(Front::Far1, true);
    g_settings.ShowInvisibleWindow = 1;
    OpenPanel(Front::Far1);
    EXPECT_EQ("H   ", Status(Front::Far1, window));
    ClosePanel(Front::Far1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(1u, simwin::RegistryValueNames(kRecordKey).size());

    simwin::EndTestProcess(first);
    OpenPanel(Front::Far1); // every open looks again
    EXPECT_EQ("H  D", Status(Front::Far1, window));
    ClosePanel(Front::Far1);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(HiddenWindowRecord, WindowsTheTwentySlotsCannotTakeAreShownAtOnce) {
    StartHost(Front::Far3);
    std::vector<HWND> windows;
    for (int i = 0; i < HiddenWindowTable::kSlotCount + 5; ++i) {
        windows.push_back(simwin::CreateTestWindow("Bulk " + std::to_string(i)));
    }
    HideByCommand(Front::Far3, "Bulk");
    NewHost(Front::Far1);
    OpenPanel(Front::Far1);
    int listed = 0, shown = 0;
    for (HWND window : windows) {
        listed += Status(Front::Far1, window) == "H  D" ? 1 : 0;
        shown += IsWindowVisible(window) ? 1 : 0;
    }
    EXPECT_EQ(HiddenWindowTable::kSlotCount, listed);
    EXPECT_EQ(5, shown);
    EXPECT_EQ(size_t(HiddenWindowTable::kSlotCount), simwin::RegistryValueNames(kRecordKey).size());
    ClosePanel(Front::Far1);
}

TEST_F(HiddenWindowRecord, ShowAllWindowAtExitOffLeavesTheEntriesForTheNextVelumo) {
    simwin::SeedRegistryValue(kVelumoKeyPath, "ShowAllWindowAtExit", REG_DWORD, {0, 0, 0, 0});
    StartHost(Front::Far1);
    const HWND window = simwin::CreateTestWindow("Target");
    HideByCommand(Front::Far1, "Target");
    ClosePanel(Front::Far1);
    EXPECT_FALSE(IsWindowVisible(window));
    NewHost(Front::Far3); // a normal end: nothing open any more
    OpenPanel(Front::Far3);
    EXPECT_EQ("H  D", Status(Front::Far3, window));
}

// What the user sees: hiding and showing work as before, but a host that dies leaves the window
// hidden with nothing to find it by.
TEST_F(HiddenWindowRecord, HidingWorksWhenTheRecordCannotBeWritten) {
    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_ACCESS_DENIED);
    StartHost(Front::Far3);
    const HWND window = simwin::CreateTestWindow("Target");
    HideByCommand(Front::Far3, "Target");
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ("H  D", Status(Front::Far3, window));
    EXPECT_FALSE(simwin::RegistryKeyExists(kRecordKey));
    ClosePanel(Front::Far3);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(0, simwin::OpenRegistryKeyCount());
}

TEST_F(HiddenWindowRecord, DamagedEntriesAreDeletedAndNeverActedOn) {
    typedef std::function<void(std::string & name, DWORD & type, std::vector<uint8_t> & bytes)>
        Damage;
    const auto Set32 = [](size_t at, uint32_t value) {
        return Damage([=](std::string&, DWORD&, std::vector<uint8_t>& b) { Put32(b, at, value); });
    };
    const struct {
        const char* what;
        Damage damage;
    } cases[] = {
        {"empty", [](std::string&, DWORD&, std::vector<uint8_t>& b) { b.clear(); }},
        {"truncated", [](std::string&, DWORD&, std::vector<uint8_t>& b) { b.pop_back(); }},
        {"trailing byte", [](std::string&, DWORD&, std::vector<uint8_t>& b) { b.push_back(0); }},
        {"header only", [](std::string&, DWORD&, std::vector<uint8_t>& b) { b.resize(36); }},
        {"tag", Set32(kEntryTagOffset, kEntryTag ^ 1)},
        {"newer", Set32(kEntryVersionOffset, kEntryVersion + 1)},
        {"older", Set32(kEntryVersionOffset, kEntryVersion - 1)},
        {"no class", Set32(kEntryClassLengthOffset, 0)},
        {"class length beyond data", Set32(kEntryClassLengthOffset, 11)},
        {"class length huge", Set32(kEntryClassLengthOffset, 0xFFFFFFFFu)},
        {"class too long",
         [](std::string&, DWORD&, std::vector<uint8_t>& b) {
             Put32(b, kEntryClassLengthOffset, kClassCapacity + 1);
             b.resize(kEntryClassOffset + 2 * (kClassCapacity + 1), 'x');
         }},
        {"type", [](std::string&, DWORD& type, std::vector<uint8_t>&) { type = REG_DWORD; }},
        {"name of another handle", [](std::string& n, DWORD&, std::vector<uint8_t>&) { n[7]++; }},
        {"name not ours", [](std::string& n, DWORD&, std::vector<uint8_t>&) { n += "0"; }},
        {"name too long", [](std::string& n, DWORD&, std::vector<uint8_t>&) { n += "_padding_"; }},
        {"class differs", [](std::string&, DWORD&, std::vector<uint8_t>& b) { b.back() ^= 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetProcessState();
        const DWORD hider = simwin::StartTestProcess();
        simwin::EndTestProcess(hider, true);
        const HWND window = simwin::CreateTestWindow("Target", false);
        std::string name = ValueName(window);
        DWORD type = REG_BINARY;
        std::vector<uint8_t> bytes =
            EntryBytes(window, simwin::kDesktopProcess, hider, u"TestWindow");
        c.damage(name, type, bytes);
        simwin::SeedRegistryValue(kRecordKey, name, type, bytes);
        StartHost(Front::Far1);
        OpenPanel(Front::Far1);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(0, g_hiddenWindows.Contains(window));
        const size_t left = simwin::RegistryValueNames(kRecordKey).size();
        // A name longer than any entry's is nobody's entry: passed over, not read.
        EXPECT_EQ(name.size() >= 16 ? 1u : 0u, left);
        ClosePanel(Front::Far1);
    }
    // The same entry undamaged is adopted: the damage alone kept the others out.
    ResetProcessState();
    const DWORD hider = simwin::StartTestProcess();
    simwin::EndTestProcess(hider);
    const HWND window = simwin::CreateTestWindow("Target", false);
    simwin::SeedRegistryValue(kRecordKey, ValueName(window), REG_BINARY,
                              EntryBytes(window, simwin::kDesktopProcess, hider, u"TestWindow"));
    StartHost(Front::Far1);
    EXPECT_EQ(1, g_hiddenWindows.Contains(window));
}

TEST_F(HiddenWindowRecord, AHugeRecordIsWorkedThroughABoundedPartAtATime) {
    for (int i = 0; i < kMaxEntriesPerPass + 100; ++i) {
        simwin::SeedRegistryValue(kRecordKey, "bad" + std::to_string(i), REG_BINARY, {1});
    }
    StartHost(Front::Far3);
    EXPECT_EQ(100u, simwin::RegistryValueNames(kRecordKey).size());
    OpenPanel(Front::Far3);
    EXPECT_TRUE(simwin::RegistryValueNames(kRecordKey).empty());
}

// Hosts killed at random calls of random hide, show and close sequences: after every restart
// each window a Velumo hid and nobody showed since is in the new host's table (listed "H  D"),
// and no window its own program hid was shown.
TEST_F(HiddenWindowRecord, RandomKillsLoseNoWindow) {
    std::mt19937 random(21);
    int killed = 0, hidden = 0, lost = 0, wronglyShown = 0;
    for (int run = 0; run < 150; ++run) {
        ResetProcessState();
        Front front = random() % 2 ? Front::Far1 : Front::Far3;
        StartHost(front);
        const DWORD programs[] = {simwin::kDesktopProcess, simwin::StartTestProcess()};
        std::set<HWND> byVelumo, byProgram; // hidden by either and not shown since
        std::vector<HWND> windows;
        const auto pick = [&] { return windows[random() % windows.size()]; };
        const auto restart = [&](bool kill) {
            simwin::KillHostAtCall(0);
            killed += kill ? 1 : 0;
            front = random() % 2 ? Front::Far1 : Front::Far3;
            std::vector<HWND> programHidden;
            for (HWND window : byProgram) {
                if (!IsWindowVisible(window)) {
                    programHidden.push_back(window);
                }
            }
            NewHost(front, false, random() % 2);
            g_settings.ShowAllWindowAtExit = random() % 3 != 0;
            for (HWND window : byVelumo) {
                lost += IsWindowVisible(window) || g_hiddenWindows.Contains(window) ? 0 : 1;
            }
            for (HWND window : programHidden) {
                wronglyShown += IsWindowVisible(window) ? 1 : 0;
            }
        };
        for (int step = 0; step < 60; ++step) {
            std::vector<char> before;
            for (HWND window : windows) {
                before.push_back(IsWindowVisible(window) ? 1 : 0);
            }
            const unsigned action = windows.empty() ? 0 : random() % 9;
            if (random() % 4 == 0) {
                simwin::KillHostAtCall(1 + random() % 16);
            }
            try {
                switch (action) {
                case 0: {
                    const simwin::WindowSpec spec = Spec("Bulk " + std::to_string(step),
                                                         random() % 4 != 0, programs[random() % 2]);
                    windows.push_back(simwin::CreateTestWindow(spec));
                    before.push_back(spec.visible ? 1 : 0);
                    if (!spec.visible) {
                        byProgram.insert(windows.back());
                    }
                    break;
                }
                case 1:
                    simwin::DestroyTestWindow(pick());
                    break;
                case 2: {
                    const HWND window = pick();
                    const bool show = random() % 2;
                    if (!show && IsWindowVisible(window)) {
                        byProgram.insert(window);
                    }
                    simwin::SetTestWindowVisible(window, show);
                    break;
                }
                case 3:
                    NotePanelOpened();
                    break;
                case 4:
                    if (g_openPanelCount > 0) {
                        NotePanelClosed();
                    }
                    break;
                case 5:
                    if (front == Front::Far1) {
                        ToggleWindowsByTitle("Bulk 1");
                    } else {
                        ToggleWindowsByTitle(u"Bulk 2");
                    }
                    break;
                case 8:
                    while (g_openPanelCount > 0) {
                        NotePanelClosed();
                    }
                    restart(false);
                    break;
                default:
                    ToggleWindow(pick());
                    break;
                }
                simwin::KillHostAtCall(0);
            } catch (const simwin::HostKilled&) {
                restart(true);
            }
            for (size_t i = 0; i < windows.size(); ++i) {
                if (!IsWindow(windows[i]) || IsWindowVisible(windows[i])) {
                    byVelumo.erase(windows[i]);
                    byProgram.erase(windows[i]);
                } else if (before[i] && byProgram.count(windows[i]) == 0) {
                    hidden += byVelumo.insert(windows[i]).second ? 1 : 0;
                }
            }
        }
    }
    printf("hosts killed %d, windows hidden %d, windows lost %d, shown wrongly %d\n", killed,
           hidden, lost, wronglyShown);
    EXPECT_GT(killed, 100);
    EXPECT_EQ(0, lost);
    EXPECT_EQ(0, wronglyShown);
}

} // namespace
