#include "fuzz_common.h"

#include "far1_support.h"

#include "core/hidden_window_record.h"
#include "core/hidden_window_table.h"
#include "core/program_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

namespace fuzz {

namespace {

constexpr size_t kMaxWindows = 64; // windows created per input

// The programs a created window may belong to: the desktop's, one with a path outside ASCII,
// one that refuses to be asked, one without a folder, one whose path ends in a separator, one
// with the longest path Windows gives, and the host itself. Started at the first window that
// needs them.
constexpr uint8_t kProgramCount = 7;

uint32_t ValueOf(HWND window) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

HWND WindowOf(uint32_t value) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

struct WindowState {
    bool ownVisible; // its own WS_VISIBLE bit
    bool shown;      // IsWindowVisible: visible with every parent it has
    bool dependent;  // a child whose visibility also depends on its parent's
    bool recorded;   // in the hidden-window table
};

WindowState StateOf(HWND window) {
    const uint32_t style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
    return WindowState{(style & WS_VISIBLE) != 0, IsWindowVisible(window) != 0,
                       (style & WS_CHILD) != 0 && GetParent(window) != nullptr,
                       g_hiddenWindows.Contains(window) != 0};
}

std::map<HWND, WindowState> DesktopSnapshot() {
    std::map<HWND, WindowState> snapshot;
    for (HWND window : simwin::ZOrder()) {
        snapshot[window] = StateOf(window);
    }
    return snapshot;
}

// Creates a window unless the input has made enough; the simulation refuses only once the
// process has used up its 32-bit handle values.
void CreateWindow(Desktop& desktop, const simwin::WindowSpec& spec) {
    if (desktop.windows.size() >= kMaxWindows) {
        return;
    }
    try {
        desktop.windows.push_back(simwin::CreateTestWindow(spec));
    } catch (const std::length_error&) {
        // Handles exhausted after about a billion windows: no more windows in this process.
    }
}

void SetVisibleByOthers(Desktop& desktop, HWND window, bool visible) {
    simwin::SetTestWindowVisible(window, visible);
    desktop.hiddenByPlugin.erase(window);
}

// Reads a title into whichever of the two the desktop uses.
void ReadTitle(InputReader& in, const Desktop& desktop, std::string* title, std::u16string* wide) {
    if (desktop.wideTitles) {
        *wide = in.Text16(1000);
    } else {
        *title = in.Text(1000);
    }
}

void RunHookAction(Desktop& desktop, const HookAction& action, HWND reported) {
    ++desktop.hookActionsRun;
    switch (action.kind) {
    case 0:
        simwin::DestroyTestWindow(reported);
        break;
    case 1:
        simwin::DestroyTestWindow(action.target);
        break;
    case 2:
    case 3:
        SetVisibleByOthers(desktop, action.target, action.kind == 3);
        desktop.touchedByHook.insert(action.target);
        break;
    case 4:
        if (desktop.wideTitles) {
            simwin::SetTestWindowTitle(action.target, action.wide);
        } else {
            simwin::SetTestWindowTitle(action.target, action.title);
        }
        break;
    default: {
        simwin::WindowSpec spec;
        spec.title = action.title;
        spec.wideTitle = action.wide;
        CreateWindow(desktop, spec);
        break;
    }
    }
}

// The image paths of the programs that a created window may belong to, after the desktop's;
// the last one is the host itself.
const std::u16string& ProgramPath(size_t index) {
    static const std::u16string kPaths[] = {u"C:\\Программы\\Редактор 🙂.exe",
                                            u"C:\\Other\\secret.exe", u"bare.exe", u"C:\\Folder\\",
                                            u"C:\\" + std::u16string(32760, u'x') + u".exe"};
    return kPaths[index];
}

DWORD ProgramProcess(uint8_t pick) {
    static DWORD started[kProgramCount];
    const uint8_t index = static_cast<uint8_t>(pick % kProgramCount);
    if (index == 0) {
        return simwin::kDesktopProcess;
    }
    if (index == kProgramCount - 1) {
        return simwin::CurrentTestProcess();
    }
    // A process of an earlier input is gone with its desktop: started again.
    if (started[index] == 0 || !simwin::TestProcessRuns(started[index])) {
        started[index] = simwin::StartTestProcess();
        simwin::SetTestProcessImage(started[index], ProgramPath(index - 1), index == 2);
    }
    return started[index];
}

simwin::WindowSpec ReadWindowSpec(InputReader& in, const Desktop& desktop) {
    simwin::WindowSpec spec;
    ReadTitle(in, desktop, &spec.title, &spec.wideTitle);
    const uint8_t flags = in.Byte();
    spec.visible = (flags & 1) != 0;
    spec.process = ProgramProcess(static_cast<uint8_t>(flags >> 1));
    spec.owner = PickWindow(in, desktop);
    spec.parent = PickWindow(in, desktop);
    spec.style = in.Dword();
    return spec;
}

void ReadHookScript(InputReader& in, Desktop& desktop) {
    desktop.hookScript.clear();
    const size_t actions = in.Byte() % 9;
    for (size_t i = 0; i < actions; ++i) {
        HookAction action;
        action.at = in.Byte();
        action.kind = static_cast<uint8_t>(in.Byte() % 6);
        action.target = PickWindow(in, desktop);
        ReadTitle(in, desktop, &action.title, &action.wide);
        desktop.hookScript.push_back(action);
    }
}

std::string RecordKeyPath() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return "Software\\Velumo\\HiddenWindows\\Session" + std::to_string(session);
}

uint64_t ProcessStart(DWORD id) {
    const uint64_t start = ProcessStartTime(id);
    Require(start != 0, "a simulated process has no creation time", id);
    return start;
}

// A new window and an entry for it as a Velumo writes one, then spoilt as `flags` ask.
bool SeedEntry(InputReader& in, Desktop& desktop, uint8_t flags, SeededEntry* seeded) {
    const uint8_t cut = in.Byte();
    simwin::WindowSpec spec;
    spec.className = in.Text16(kClassCapacity);
    std::replace(spec.className.begin(), spec.className.end(), u'\0', u'?');
    spec.visible = (flags & 2) != 0;
    spec.process = (flags & 4) != 0 ? simwin::StartTestProcess() : simwin::kDesktopProcess;
    const size_t made = desktop.windows.size();
    CreateWindow(desktop, spec);
    if (desktop.windows.size() == made) {
        return false;
    }
    const DWORD hider = simwin::StartTestProcess();
    const uint64_t hiderStart = ProcessStart(hider);
    if ((flags & 8) == 0) {
        simwin::EndTestProcess(hider, (flags & 16) != 0);
    }
    std::u16string className = spec.className;
    if ((flags & 128) != 0 && !className.empty()) {
        className[0] ^= 1;
    }
    seeded->window = desktop.windows.back();
    std::vector<uint8_t>& data = seeded->data;
    data = RecordEntryBytes({seeded->window, spec.process + ((flags & 32) != 0 ? 4 : 0),
                             ProcessStart(spec.process) + ((flags & 64) != 0), hider, hiderStart,
                             className});
    if (cut != 0) {
        data.resize(data.size() - 1 - (cut - 1u) % data.size());
    }
    char name[16];
    snprintf(name, sizeof(name), "%08X", static_cast<unsigned>(ValueOf(seeded->window)));
    seeded->name = name;
    seeded->wasVisible = spec.visible;
    seeded->proves =
        !spec.visible && (flags & (8 | 32 | 64 | 128)) == 0 && cut == 0 && !className.empty();
    return true;
}

void ArmHook(Desktop& desktop) {
    desktop.touchedByHook.clear();
    desktop.hookArmed = !desktop.hookScript.empty();
    if (!desktop.hookArmed) {
        return;
    }
    auto reportedCount = std::make_shared<unsigned>(0);
    simwin::SetEnumerationHook([&desktop, reportedCount](HWND reported) {
        const unsigned at = (*reportedCount)++;
        for (const HookAction& action : desktop.hookScript) {
            if (action.at == at) {
                RunHookAction(desktop, action, reported);
            }
        }
    });
}

void DisarmHook(Desktop& desktop) {
    simwin::SetEnumerationHook({});
    desktop.hookScript.clear();
}

// What one plug-in call may do to the table: a window it hid is recorded at once; a window
// becomes recorded only by being hidden; a record goes only with a window that the call showed
// because it was not visible (a child also counts as not visible while its parent is hidden).
// The same window may be handed over several times in one call (shown, then hidden again), so
// only the states before and after the call are compared. Windows that the hook hid or showed
// during the call are the fuzzer's own and not judged.
void CheckTableChanges(Desktop& desktop, const std::map<HWND, WindowState>& before) {
    for (HWND window : simwin::ZOrder()) {
        const auto was = before.find(window);
        if (was == before.end() || desktop.touchedByHook.count(window) != 0) {
            continue;
        }
        const WindowState& then = was->second;
        const WindowState now = StateOf(window);
        if (then.ownVisible && !now.ownVisible) {
            Require(now.recorded, "a window the plug-in hid is not in the hidden-window table",
                    ValueOf(window));
            desktop.hiddenByPlugin.insert(window);
        }
        if (!then.recorded && now.recorded) {
            Require(!now.ownVisible, "a window was recorded without being hidden", ValueOf(window));
            desktop.hiddenByPlugin.insert(window); // hidden by it, or adopted from the record
        }
        if (then.recorded && !now.recorded && !desktop.tableEmptied) {
            Require(now.ownVisible && (!then.shown || then.dependent || now.dependent),
                    "a record went without the window being shown", ValueOf(window));
        }
    }
}

} // namespace

void Require(bool holds, const char* what, uint32_t value) {
    if (!holds) {
        fprintf(stderr, "%s: invariant broken: %s (value %08X)\n", program_invocation_short_name,
                what, value);
        __builtin_trap();
    }
}

uint16_t InputReader::Word() {
    uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
}

uint32_t InputReader::Dword() {
    uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
}

std::string InputReader::Text(size_t maxLength) {
    size_t length = Word() % (maxLength + 1);
    length = std::min(length, size_ - std::min(at_, size_));
    std::string text(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return text;
}

std::u16string InputReader::Text16(size_t maxLength) {
    size_t length = Word() % (maxLength + 1);
    length = std::min(length, (size_ - std::min(at_, size_)) / 2);
    std::u16string text;
    for (size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char16_t>(Word()));
    }
    return text;
}

HWND PickWindow(InputReader& in, const Desktop& desktop) {
    const uint8_t pick = in.Byte();
    if (pick == 0xFF) {
        return WindowOf(in.Dword());
    }
    if (pick == 0xFE || desktop.windows.empty()) {
        return nullptr;
    }
    if (pick == 0xFD) {
        const HWND known = desktop.windows[in.Byte() % desktop.windows.size()];
        return WindowOf(ValueOf(known) + 1 + in.Byte() % 3);
    }
    return desktop.windows[pick % desktop.windows.size()];
}

void DesktopEvent(InputReader& in, Desktop& desktop, uint8_t event) {
    switch (event) {
    case 0:
        CreateWindow(desktop, ReadWindowSpec(in, desktop));
        break;
    case 1:
        simwin::DestroyTestWindow(PickWindow(in, desktop));
        break;
    case 2: {
        HookAction retitle{0, 4, PickWindow(in, desktop), {}, {}};
        ReadTitle(in, desktop, &retitle.title, &retitle.wide);
        RunHookAction(desktop, retitle, nullptr);
        break;
    }
    case 3: {
        const HWND window = PickWindow(in, desktop);
        SetVisibleByOthers(desktop, window, (in.Byte() & 1) != 0);
        break;
    }
    case 4: {
        const HWND window = PickWindow(in, desktop);
        simwin::SetTestWindowStyle(window, in.Dword());
        break;
    }
    case 5:
        ReadHookScript(in, desktop);
        break;
    default:
        // Adopted at the next panel open at the latest; judged by the checks of every call.
        SeedHiddenWindowRecord(in, desktop);
        desktop.seededEntries.clear();
        break;
    }
}

void SeedHiddenWindowRecord(InputReader& in, Desktop& desktop) {
    const std::string path = RecordKeyPath();
    const size_t first = desktop.seededEntries.size();
    const size_t values = in.Byte() % 9;
    for (size_t i = 0; i < values; ++i) {
        const uint8_t kind = in.Byte();
        SeededEntry seeded{};
        DWORD type = REG_BINARY;
        if ((kind & 1) != 0) {
            if (!SeedEntry(in, desktop, kind, &seeded)) {
                continue;
            }
            desktop.seededEntries.push_back(seeded);
        } else {
            seeded.name = in.Text(16);
            type = in.Dword();
            const std::string data = in.Text(600);
            seeded.data.assign(data.begin(), data.end());
        }
        try {
            simwin::SeedRegistryValue(path, seeded.name, type, seeded.data);
        } catch (const std::invalid_argument&) {
            // A name the registry cannot hold: nothing stored.
        }
    }
    // An entry that a later value replaced says nothing any more.
    for (size_t i = desktop.seededEntries.size(); i-- > first;) {
        const SeededEntry& seeded = desktop.seededEntries[i];
        DWORD type = 0;
        std::vector<uint8_t> data;
        if (!simwin::ReadRegistryValue(path, seeded.name, &type, &data) || data != seeded.data) {
            desktop.seededEntries.erase(desktop.seededEntries.begin() + i);
        }
    }
}

void CheckRecordAdoption(Desktop& desktop, bool adoptionDue) {
    const std::string path = RecordKeyPath();
    for (const SeededEntry& seeded : desktop.seededEntries) {
        if (!IsWindow(seeded.window)) {
            continue;
        }
        const WindowState now = StateOf(seeded.window);
        const uint32_t value = ValueOf(seeded.window);
        if (seeded.wasVisible) {
            Require(now.ownVisible, "the record made the plug-in hide a window", value);
        } else if (!seeded.proves) {
            Require(!now.ownVisible && !now.recorded,
                    "the plug-in showed or took a window its record entry does not prove it hid",
                    value);
        } else {
            DWORD type = 0;
            std::vector<uint8_t> data;
            const bool rewritten =
                !simwin::ReadRegistryValue(path, seeded.name, &type, &data) || data != seeded.data;
            // The table is empty at the start and the entries fewer than its slots: no adopted
            // window is shown for want of a slot.
            Require(now.recorded || (!adoptionDue && !rewritten && !now.ownVisible),
                    "a window adopted from the record is not in the hidden-window table", value);
            if (now.recorded) {
                desktop.hiddenByPlugin.insert(seeded.window);
            }
        }
    }
    desktop.seededEntries.clear();
}

// A hidden window that the plug-in hid keeps its record until somebody shows it.
void CheckHiddenWindowsRecorded(Desktop& desktop) {
    if (desktop.tableEmptied) {
        desktop.hiddenByPlugin.clear();
    }
    for (auto at = desktop.hiddenByPlugin.begin(); at != desktop.hiddenByPlugin.end();) {
        if (!IsWindow(*at) || StateOf(*at).ownVisible) {
            at = desktop.hiddenByPlugin.erase(at);
            continue;
        }
        Require(g_hiddenWindows.Contains(*at) != 0,
                "a window the plug-in hid lost its record while still hidden", ValueOf(*at));
        ++at;
    }
}

void AroundPluginCall(Desktop& desktop, const std::function<void()>& call) {
    const std::map<HWND, WindowState> before = DesktopSnapshot();
    ArmHook(desktop);
    call();
    DisarmHook(desktop);
    CheckTableChanges(desktop, before);
    CheckHiddenWindowsRecorded(desktop);
}

void CheckedClose(const Desktop& desktop, const std::function<bool()>& close) {
    const std::map<HWND, WindowState> before = DesktopSnapshot();
    const bool restores = close();
    for (HWND window : simwin::ZOrder()) {
        if (desktop.touchedByHook.count(window) != 0) {
            continue;
        }
        const bool shown = StateOf(window).ownVisible;
        if (restores) {
            Require(shown || g_hiddenWindows.Contains(window) == 0,
                    "closing the panel left a recorded window hidden", ValueOf(window));
        } else {
            const auto was = before.find(window);
            Require(!shown || was == before.end() || was->second.ownVisible,
                    "a panel close that does not restore showed a window", ValueOf(window));
        }
    }
}

HWND CheckListedWindow(uintptr_t userData, const std::string& status, const std::string& handle,
                       std::set<HWND>* seen, bool steady) {
    // UserData is pointer-wide; the simulated handles fit in 32 bits, and so must the value.
    Require(userData <= UINT32_MAX, "UserData is not a window handle",
            static_cast<uint32_t>(userData >> 16 >> 16));
    const uint32_t value = static_cast<uint32_t>(userData);
    const HWND window = WindowOf(value);
    Require(status.size() == 4 && status[2] == ' ', "status text malformed", value);
    Require(handle == HandleText(window), "handle text differs from the user data", value);
    Require(seen->insert(window).second, "a window is listed twice", value);
    if (steady) {
        Require(IsWindow(window) != 0, "a listed window does not exist", value);
        Require((status[0] == 'H') == (IsWindowVisible(window) == 0), "wrong 'H' mark", value);
        Require((status[1] == 'O') == (GetWindow(window, GW_OWNER) != nullptr), "wrong 'O' mark",
                value);
        Require((status[3] == 'D') == (g_hiddenWindows.Contains(window) != 0), "wrong 'D' mark",
                value);
    }
    return window;
}

void CheckProgramTexts(HWND window, const std::u16string& name, const std::u16string& path,
                       const std::u16string& processId) {
    const uint32_t value = ValueOf(window);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const std::string id = std::to_string(process);
    Require(processId == std::u16string(id.begin(), id.end()), "wrong process id text", value);
    std::u16string expected(kProgramPathCapacity, 0);
    const size_t length = ReadProgramPath(process, &expected[0], expected.size());
    expected.resize(length);
    if (length == 0) {
        const std::string refused = "<pid " + id + ">";
        expected.assign(refused.begin(), refused.end());
    }
    Require(path == expected, "the description is not the program's path", value);
    const size_t start = length == 0 ? 0 : FileNameOffset(expected.data(), length);
    Require(name == (start < expected.size() ? expected.substr(start) : expected),
            "the program column is not the path's file name", value);
}

HANDLE PickPanel(InputReader& in, const std::vector<HANDLE>& open,
                 const std::vector<HANDLE>& closed) {
    const uint8_t pick = in.Byte();
    if (pick == 0xFF) {
        return INVALID_HANDLE_VALUE;
    }
    const std::vector<HANDLE>& from = pick == 0xFD ? closed : open;
    const uint8_t index = pick == 0xFD ? in.Byte() : pick;
    return pick == 0xFE || from.empty() ? nullptr : from[index % from.size()];
}

std::vector<HWND> PickItemWindows(InputReader& in, const std::vector<HWND>& lastListing,
                                  const Desktop& desktop) {
    std::vector<HWND> windows(in.Byte() % 33);
    for (HWND& window : windows) {
        if ((in.Byte() & 1) != 0) {
            window = PickWindow(in, desktop);
            continue;
        }
        const uint8_t index = in.Byte();
        window = lastListing.empty() ? nullptr : lastListing[index % lastListing.size()];
    }
    return windows;
}

void SeedRegistry(InputReader& in, const std::string* keyPath) {
    const std::string parent = keyPath ? keyPath->substr(0, keyPath->rfind('\\')) : "";
    const std::string below = keyPath ? *keyPath + "\\Sub" : "";
    const std::string bare = "Velumo";
    const std::string* const places[4] = {keyPath, keyPath ? &parent : nullptr,
                                          keyPath ? &below : nullptr, &bare};
    const size_t values = in.Byte() % 17;
    for (size_t i = 0; i < values; ++i) {
        const uint8_t place = in.Byte() % 4;
        const uint8_t namePick = in.Byte();
        const std::string name = SettingName(namePick, [&] { return in.Text(64); });
        const DWORD type = in.Dword();
        const std::string data = in.Text(300);
        if (places[place] == nullptr) {
            continue;
        }
        try {
            simwin::SeedRegistryValue(*places[place], name, type,
                                      std::vector<uint8_t>(data.begin(), data.end()));
        } catch (const std::invalid_argument&) {
            // A key path the registry cannot hold: the plug-in then finds nothing either.
        }
    }
}

void CheckNoKeyLeftOpen(bool closeMayFail) {
    Require(closeMayFail || simwin::OpenRegistryKeyCount() == 0, "a registry key was left open",
            static_cast<uint32_t>(simwin::OpenRegistryKeyCount()));
    Require(simwin::OpenProcessHandleCount() == 0, "a process handle was left open",
            static_cast<uint32_t>(simwin::OpenProcessHandleCount()));
}

int32_t RegistryValueOver(const std::string& keyPath, const char* name, int32_t defaultValue) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!simwin::ReadRegistryValue(keyPath, name, &type, &data) || data.size() > 4) {
        return defaultValue;
    }
    uint32_t bits = static_cast<uint32_t>(defaultValue);
    for (size_t i = 0; i < data.size(); ++i) {
        bits = (bits & ~(0xFFu << (8 * i))) | (static_cast<uint32_t>(data[i]) << (8 * i));
    }
    return static_cast<int32_t>(bits);
}

} // namespace fuzz
