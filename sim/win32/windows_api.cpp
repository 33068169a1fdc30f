// The simulated desktop: top-level windows, their z-order and the user32/kernel32 calls on them.
#include "windows_api.h"
#include "sim_desktop.h"
#include "sim_internal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <strings.h>
#include <unordered_map>
#include <utility>

namespace {

struct Window {
    std::u16string title;  // cut at the first NUL
    std::string ansiTitle; // title as the ANSI calls see it, derived whenever title changes
    bool visible = false;
    HWND owner = nullptr;
    HWND parent = nullptr;
    DWORD style = 0; // never holds WS_VISIBLE: `visible` is the one truth
    DWORD process = simwin::kDesktopProcess;
    std::u16string className;
};

struct Process {
    uint64_t created;
    bool running;
    bool kept;            // ended, and somebody outside holds its object for good
    std::u16string image; // empty: a path made from the id (ImagePathOf)
    bool denied = false;  // OpenProcess refuses every right, as for another user's process
};

constexpr DWORD kFirstProcessId = 0x1000;
constexpr DWORD kProcessIdStep = 4;
constexpr uintptr_t kFirstProcessHandle = 0x2000;
constexpr DWORD kTestSession = 1;
const HANDLE kCurrentProcessHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Plausible user32 handle values: small, 4-aligned, starting above the ones the system takes.
constexpr uint32_t kFirstHandle = 0x000102F0u;
constexpr uint32_t kHandleStep = 4;

struct Desktop {
    std::unordered_map<HWND, Window> windows;
    std::vector<HWND> zOrder; // bottom first, so that a new or raised window is a push_back
    HWND foreground = nullptr;
    // Survives ResetDesktop: a handle is never handed out twice in a process.
    uint32_t nextHandle = kFirstHandle;
    // Shared so that a hook that replaces itself while it runs is not destroyed mid-call.
    std::shared_ptr<const std::function<void(HWND)>> hook;
    simwin::CallCounts calls;
    bool logging = false;
    std::function<bool(HWND)> mark;
    std::vector<simwin::WindowCall> log;
    // Ended processes stay only while somebody holds their object.
    std::map<DWORD, Process> processes;
    std::map<uintptr_t, DWORD> processHandles;
    DWORD currentProcess = 0;
    DWORD nextProcessId = kFirstProcessId;
    uintptr_t nextProcessHandle = kFirstProcessHandle;
    uint64_t clock = 0x01D9000000000000ull; // creation times, one tick apart
    DWORD lastError = 0;
    uint64_t callsBeforeKill = 0; // 0: no kill armed
    bool imageNameQueryMissing = false;
};

Desktop& State() {
    static Desktop desktop;
    if (desktop.currentProcess == 0) {
        desktop.currentProcess = ~DWORD{0}; // no recursion: StartTestProcess calls State too
        desktop.processes[simwin::kDesktopProcess] = {desktop.clock++, true, false, {}, false};
        desktop.currentProcess = simwin::StartTestProcess();
    }
    return desktop;
}

std::u16string ImagePathOf(DWORD id, const Process& process) {
    if (!process.image.empty()) {
        return process.image;
    }
    if (id == simwin::kDesktopProcess) {
        return u"C:\\Windows\\explorer.exe";
    }
    const std::string name = "C:\\Programs\\process" + std::to_string(id) + ".exe";
    return std::u16string(name.begin(), name.end());
}

const Process* FindProcessHandle(HANDLE handle) {
    Desktop& desktop = State();
    DWORD id = desktop.currentProcess;
    if (handle != kCurrentProcessHandle) {
        const auto held = desktop.processHandles.find(reinterpret_cast<uintptr_t>(handle));
        if (held == desktop.processHandles.end()) {
            desktop.lastError = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        id = held->second;
    }
    return &desktop.processes.at(id);
}

// An ended process goes once nobody holds its object any more.
void ForgetIfUnheld(DWORD id) {
    Desktop& desktop = State();
    const Process& process = desktop.processes.at(id);
    bool held = process.running || process.kept;
    for (const auto& handle : desktop.processHandles) {
        held = held || handle.second == id;
    }
    if (!held) {
        desktop.processes.erase(id);
    }
}

void SetFileTime(FILETIME* time, uint64_t value) {
    if (time != nullptr) {
        *time = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    }
}

// Null for a handle that is dead, was never handed out or does not fit in 32 bits.
Window* Find(HWND window) {
    auto& windows = State().windows;
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
}

void Raise(HWND window) {
    auto& zOrder = State().zOrder;
    zOrder.erase(std::find(zOrder.begin(), zOrder.end(), window));
    zOrder.push_back(window);
}

// Counts and logs a window call; returns the live window it is about, or null.
Window* Called(uint64_t simwin::CallCounts::*counter, HWND window) {
    ++(State().calls.*counter);
    return Find(window);
}

Window* Logged(uint64_t simwin::CallCounts::*counter, simwin::WindowCallKind kind, HWND window,
               int showCommand = 0) {
    simwin::internal::CountTowardsKill();
    Desktop& desktop = State();
    if (desktop.logging) {
        desktop.log.push_back({kind, window, showCommand, desktop.mark && desktop.mark(window)});
    }
    return Called(counter, window);
}

void SetTitle(Window& window, const std::u16string& title) {
    window.title = title.substr(0, title.find(u'\0'));
    window.ansiTitle = simwin::internal::AnsiFromUtf16(window.title);
}

std::u16string Utf16FromAnsiTitle(const std::string& title) {
    return simwin::internal::Utf16FromAnsi(title.substr(0, title.find('\0')));
}

// The window's title in one of its two forms; empty for a dead handle.
template <typename Text> const Text& TitleOf(const Window* found, Text Window::*form) {
    static const Text none;
    return found == nullptr ? none : found->*form;
}

template <typename Text> int TitleLength(const Window* found, Text Window::*form) {
    return static_cast<int>(TitleOf(found, form).size());
}

// The limit counts the terminator; a limit of 0 or less writes nothing. Copies code units, so a
// wide limit that falls inside a surrogate pair keeps its first half, as Windows does.
template <typename Char>
int CopyTitle(const std::basic_string<Char>& title, Char* buffer, int limit) {
    if (buffer == nullptr || limit <= 0) {
        return 0;
    }
    const size_t copied = std::min(title.size(), static_cast<size_t>(limit) - 1);
    std::copy_n(title.begin(), copied, buffer);
    buffer[copied] = Char{};
    return static_cast<int>(copied);
}

} // namespace

namespace simwin {

HWND CreateTestWindow(const WindowSpec& wanted) {
    Desktop& desktop = State();
    if (desktop.nextHandle == 0) { // wrapped around after about a billion windows
        throw std::length_error("simulated desktop ran out of window handles");
    }
    const HWND handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(desktop.nextHandle));
    desktop.nextHandle += kHandleStep;
    Window& window = desktop.windows[handle];
    SetTitle(window,
             wanted.wideTitle.empty() ? Utf16FromAnsiTitle(wanted.title) : wanted.wideTitle);
    window.visible = wanted.visible;
    window.owner = wanted.owner;
    window.parent = wanted.parent;
    window.style = wanted.style & ~WS_VISIBLE;
    window.process = wanted.process != 0 ? wanted.process : kDesktopProcess;
    window.className = wanted.className;
    desktop.zOrder.push_back(handle);
    return handle;
}

void ReplaceTestWindow(HWND window, const WindowSpec& spec) {
    Desktop& desktop = State();
    DestroyTestWindow(window);
    const uint32_t next = desktop.nextHandle;
    desktop.nextHandle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    CreateTestWindow(spec);
    desktop.nextHandle = next;
}

DWORD StartTestProcess(DWORD id) {
    Desktop& desktop = State();
    if (id == 0) {
        id = desktop.nextProcessId;
        desktop.nextProcessId += kProcessIdStep;
    }
    if (desktop.processes.count(id) != 0) {
        throw std::logic_error("a process still holds that id");
    }
    desktop.processes[id] = {desktop.clock++, true, false, {}, false};
    return id;
}

void EndTestProcess(DWORD id, bool objectKept) {
    Desktop& desktop = State();
    std::vector<HWND> owned;
    for (const auto& window : desktop.windows) {
        if (window.second.process == id) {
            owned.push_back(window.first);
        }
    }
    for (HWND window : owned) {
        DestroyTestWindow(window);
    }
    Process& process = desktop.processes.at(id);
    process.running = false;
    process.kept = objectKept;
    ForgetIfUnheld(id);
}

void SetTestProcessImage(DWORD id, const std::u16string& path, bool queriesDenied) {
    Process& process = State().processes.at(id);
    process.image = path;
    process.denied = queriesDenied;
}

void SetImageNameQueryExported(bool exported) {
    State().imageNameQueryMissing = !exported;
}

void SetCurrentTestProcess(DWORD id) {
    State().currentProcess = id;
}

void KillHostAtCall(uint64_t count) {
    State().callsBeforeKill = count;
}

bool TestProcessRuns(DWORD id) {
    const auto found = State().processes.find(id);
    return found != State().processes.end() && found->second.running;
}

DWORD CurrentTestProcess() {
    return State().currentProcess;
}

void RestartCurrentProcess(bool objectKept) {
    Desktop& desktop = State();
    const DWORD ended = desktop.currentProcess;
    desktop.currentProcess = StartTestProcess();
    EndTestProcess(ended, objectKept);
}

int OpenProcessHandleCount() {
    return static_cast<int>(State().processHandles.size());
}

HWND CreateTestWindow(const std::string& title, bool visible) {
    return CreateTestWindow(WindowSpec{title, {}, visible});
}

HWND CreateTestWindow(const std::u16string& title, bool visible) {
    return CreateTestWindow(WindowSpec{{}, title, visible});
}

void DestroyTestWindow(HWND window) {
    Desktop& desktop = State();
    if (desktop.windows.erase(window) == 0) {
        return;
    }
    desktop.zOrder.erase(std::find(desktop.zOrder.begin(), desktop.zOrder.end(), window));
    if (desktop.foreground == window) {
        desktop.foreground = nullptr;
    }
}

void SetTestWindowTitle(HWND window, const std::string& title) {
    SetTestWindowTitle(window, Utf16FromAnsiTitle(title));
}

void SetTestWindowTitle(HWND window, const std::u16string& title) {
    if (Window* found = Find(window)) {
        SetTitle(*found, title);
    }
}

void SetTestWindowStyle(HWND window, DWORD style) {
    if (Window* found = Find(window)) {
        found->style = style & ~WS_VISIBLE;
    }
}

void SetTestWindowVisible(HWND window, bool visible) {
    if (Window* found = Find(window)) {
        found->visible = visible;
    }
}

std::vector<HWND> ZOrder() {
    return std::vector<HWND>(State().zOrder.rbegin(), State().zOrder.rend());
}

HWND ForegroundWindow() {
    return State().foreground;
}

void ResetDesktop() {
    Desktop& desktop = State();
    desktop.windows.clear();
    desktop.zOrder.clear();
    desktop.foreground = nullptr;
    desktop.processes.clear();
    desktop.processHandles.clear();
    desktop.currentProcess = 0;
    desktop.imageNameQueryMissing = false;
    State(); // the desktop's program and a new current process
}

void SetEnumerationHook(std::function<void(HWND)> hook) {
    State().hook =
        hook ? std::make_shared<const std::function<void(HWND)>>(std::move(hook)) : nullptr;
}

const CallCounts& Calls() {
    return State().calls;
}

void ResetCallCounts() {
    State().calls = CallCounts{};
}

void LogWindowCalls(bool on, std::function<bool(HWND)> mark) {
    Desktop& desktop = State();
    desktop.logging = on;
    desktop.mark = on ? std::move(mark) : nullptr;
    desktop.log.clear();
}

const std::vector<WindowCall>& WindowCallLog() {
    return State().log;
}

namespace internal {
CallCounts& MutableCalls() {
    return State().calls;
}

void CountTowardsKill() {
    uint64_t& left = State().callsBeforeKill;
    if (left != 0 && --left == 0) {
        throw HostKilled();
    }
}
} // namespace internal

} // namespace simwin

using simwin::CallCounts;
using simwin::WindowCallKind;

BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM context) {
    Desktop& desktop = State();
    ++desktop.calls.enumWindows;
    if (callback == nullptr) {
        return FALSE;
    }
    // The callback and the hook may change the desktop at will: walk a copy, top first, and
    // look every handle up again before each use.
    const std::vector<HWND> snapshot = simwin::ZOrder();
    for (const HWND window : snapshot) {
        if (Find(window) == nullptr) {
            continue;
        }
        if (const auto hook = desktop.hook) {
            (*hook)(window);
            if (Find(window) == nullptr) {
                continue;
            }
        }
        if (!callback(window, context)) {
            break;
        }
    }
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
    return Called(&CallCounts::isWindow, window) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    const Window* current =
        Logged(&CallCounts::isWindowVisible, WindowCallKind::IsWindowVisible, window);
    // Bounded walk: a parent cycle that a test may build must not hang the caller. A child
    // shows only inside a visible parent; a dead parent counts as an invisible one.
    for (size_t steps = 0; current != nullptr && steps <= State().windows.size(); ++steps) {
        if (!current->visible) {
            return FALSE;
        }
        if ((current->style & WS_CHILD) == 0 || current->parent == nullptr) {
            return TRUE;
        }
        current = Find(current->parent);
    }
    return FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    Window* found = Logged(&CallCounts::showWindow, WindowCallKind::ShowWindow, window, command);
    if (found == nullptr) {
        return FALSE;
    }
    const bool wasVisible = found->visible;
    found->visible = command != SW_HIDE;
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    if (!Logged(&CallCounts::setForegroundWindow, WindowCallKind::SetForegroundWindow, window)) {
        return FALSE;
    }
    State().foreground = window;
    Raise(window);
    return TRUE;
}

BOOL WINAPI BringWindowToTop(HWND window) {
    if (!Logged(&CallCounts::bringWindowToTop, WindowCallKind::BringWindowToTop, window)) {
        return FALSE;
    }
    Raise(window);
    return TRUE;
}

HWND WINAPI GetWindow(HWND window, UINT command) {
    const Window* found = Called(&CallCounts::getWindow, window);
    return found != nullptr && command == GW_OWNER ? found->owner : nullptr;
}

// The parent of a child window, the owner of an owned pop-up, else none.
HWND WINAPI GetParent(HWND window) {
    const Window* found = Called(&CallCounts::getParent, window);
    if (found == nullptr) {
        return nullptr;
    }
    return (found->style & WS_CHILD) != 0   ? found->parent
           : (found->style & WS_POPUP) != 0 ? found->owner
                                            : nullptr;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
    const Window* found = Called(&CallCounts::getWindowLong, window);
    if (found == nullptr || index != GWL_STYLE) {
        return 0;
    }
    const DWORD style = found->style | (found->visible ? WS_VISIBLE : 0u);
    return static_cast<LONG>(style); // WS_POPUP makes it negative, as on Windows
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int limit) {
    return CopyTitle(TitleOf(Called(&CallCounts::getWindowText, window), &Window::ansiTitle),
                     buffer, limit);
}

int WINAPI GetWindowTextLengthA(HWND window) {
    return TitleLength(Called(&CallCounts::getWindowTextLength, window), &Window::ansiTitle);
}

int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int limit) {
    return CopyTitle(TitleOf(Called(&CallCounts::getWindowTextW, window), &Window::title), buffer,
                     limit);
}

int WINAPI GetWindowTextLengthW(HWND window) {
    return TitleLength(Called(&CallCounts::getWindowTextLengthW, window), &Window::title);
}

int WINAPI lstrcmpA(LPCSTR first, LPCSTR second) {
    ++State().calls.lstrcmp;
    if (first == nullptr || second == nullptr) {
        return first == second ? 0 : (first == nullptr ? -1 : 1);
    }
    const int order = std::strcmp(first, second); // strcmp compares as unsigned char
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    ++State().calls.getWindowThreadProcessId;
    const Window* found = Find(window);
    if (processId != nullptr) {
        *processId = found != nullptr ? found->process : 0;
    }
    return found != nullptr ? found->process + 1 : 0; // a thread id: never 0 for a window
}

int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int limit) {
    return CopyTitle(TitleOf(Find(window), &Window::className), buffer, limit);
}

HANDLE WINAPI OpenProcess(DWORD /*access*/, BOOL /*inherit*/, DWORD processId) {
    Desktop& desktop = State();
    ++desktop.calls.openProcess;
    const auto found = desktop.processes.find(processId);
    if (found == desktop.processes.end()) {
        desktop.lastError = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    if (found->second.denied) {
        desktop.lastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    const uintptr_t handle = desktop.nextProcessHandle;
    desktop.nextProcessHandle += 4;
    desktop.processHandles[handle] = processId;
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI GetProcessTimes(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                            FILETIME* user) {
    const Process* found = FindProcessHandle(process);
    if (found == nullptr) {
        return FALSE;
    }
    SetFileTime(creation, found->created);
    SetFileTime(exit, found->running ? 0 : found->created + 1);
    SetFileTime(kernel, 0);
    SetFileTime(user, 0);
    return TRUE;
}

BOOL WINAPI QueryFullProcessImageNameW(HANDLE process, DWORD /*flags*/, LPWSTR path, LPDWORD size) {
    Desktop& desktop = State();
    ++desktop.calls.queryFullProcessImageName;
    const Process* found = FindProcessHandle(process);
    if (found == nullptr || path == nullptr || size == nullptr) {
        return FALSE;
    }
    DWORD id = desktop.currentProcess;
    if (process != kCurrentProcessHandle) {
        id = desktop.processHandles.at(reinterpret_cast<uintptr_t>(process));
    }
    const std::u16string image = ImagePathOf(id, *found);
    if (image.size() >= *size) {
        desktop.lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    std::copy(image.begin(), image.end(), path);
    path[image.size()] = 0;
    *size = static_cast<DWORD>(image.size());
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    static char kernel;
    return name != nullptr && strcasecmp(name, "kernel32.dll") == 0
               ? reinterpret_cast<HMODULE>(&kernel)
               : nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (module != GetModuleHandleA("kernel32.dll") || name == nullptr ||
        strcmp(name, "QueryFullProcessImageNameW") != 0 || State().imageNameQueryMissing) {
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(&QueryFullProcessImageNameW);
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    const Process* found = FindProcessHandle(process);
    if (found == nullptr || exitCode == nullptr) {
        return FALSE;
    }
    *exitCode = found->running ? STILL_ACTIVE : 1; // as TerminateProcess(process, 1) leaves it
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    Desktop& desktop = State();
    const auto held = desktop.processHandles.find(reinterpret_cast<uintptr_t>(object));
    if (held == desktop.processHandles.end()) {
        desktop.lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    const DWORD id = held->second;
    desktop.processHandles.erase(held);
    ForgetIfUnheld(id);
    return TRUE;
}

HANDLE WINAPI GetCurrentProcess(void) {
    return kCurrentProcessHandle;
}

DWORD WINAPI GetCurrentProcessId(void) {
    return State().currentProcess;
}

BOOL WINAPI ProcessIdToSessionId(DWORD processId, DWORD* sessionId) {
    Desktop& desktop = State();
    if (sessionId == nullptr || desktop.processes.count(processId) == 0) {
        desktop.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    *sessionId = kTestSession;
    return TRUE;
}

DWORD WINAPI GetLastError(void) {
    return State().lastError;
}
