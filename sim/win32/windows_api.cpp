// The simulated desktop: top-level windows, their z-order and the user32/kernel32 calls on them.
#include "windows_api.h"
#include "sim_desktop.h"
#include "sim_internal.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <stdexcept>
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
};

// Plausible user32 handle values: small, 4-aligned, starting above the ones the system takes.
constexpr uint32_t kFirstHandle = 0x000102F0u;
constexpr uint32_t kHandleStep = 4;

struct Desktop {
    std::unordered_map<uint32_t, Window> windows;
    std::vector<uint32_t> zOrder; // bottom first, so that a new or raised window is a push_back
    uint32_t foreground = 0;
    // Survives ResetDesktop: a handle is never handed out twice in a process.
    uint32_t nextHandle = kFirstHandle;
    // Shared so that a hook that replaces itself while it runs is not destroyed mid-call.
    std::shared_ptr<const std::function<void(HWND)>> hook;
    simwin::CallCounts calls;
    bool logging = false;
    std::function<bool(HWND)> mark;
    std::vector<simwin::WindowCall> log;
};

Desktop& State() {
    static Desktop desktop;
    return desktop;
}

uint32_t ValueOf(HWND window) {
    const auto value = reinterpret_cast<uintptr_t>(window);
    // A pointer-sized value above 32 bits cannot be one of ours; 0 is never handed out.
    return value > UINT32_MAX ? 0 : static_cast<uint32_t>(value);
}

HWND HandleOf(uint32_t value) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

Window* Find(HWND window) {
    const uint32_t value = ValueOf(window);
    if (value == 0) {
        return nullptr;
    }
    auto& windows = State().windows;
    const auto found = windows.find(value);
    return found == windows.end() ? nullptr : &found->second;
}

void Raise(uint32_t value) {
    auto& zOrder = State().zOrder;
    const auto at = std::find(zOrder.begin(), zOrder.end(), value);
    if (at != zOrder.end()) {
        zOrder.erase(at);
    }
    zOrder.push_back(value);
}

void Log(simwin::WindowCallKind kind, HWND window, int showCommand = 0) {
    Desktop& desktop = State();
    if (desktop.logging) {
        desktop.log.push_back({kind, window, showCommand, desktop.mark && desktop.mark(window)});
    }
}

void SetTitle(Window& window, const std::u16string& title) {
    window.title = title.substr(0, title.find(u'\0'));
    window.ansiTitle = simwin::internal::AnsiFromUtf16(window.title);
}

std::u16string Utf16FromAnsiTitle(const std::string& title) {
    return simwin::internal::Utf16FromAnsi(title.substr(0, title.find('\0')));
}

bool IsChildOfParent(const Window& window) {
    return (window.style & WS_CHILD) != 0 && window.parent != nullptr;
}

} // namespace

namespace simwin {

namespace internal {
CallCounts& MutableCalls() {
    return State().calls;
}
} // namespace internal

HWND CreateTestWindow(const WindowSpec& wanted) {
    Desktop& desktop = State();
    if (desktop.nextHandle == 0) { // wrapped around after about a billion windows
        throw std::length_error("simulated desktop ran out of window handles");
    }
    const uint32_t value = desktop.nextHandle;
    desktop.nextHandle += kHandleStep;

    Window window;
    SetTitle(window,
             wanted.wideTitle.empty() ? Utf16FromAnsiTitle(wanted.title) : wanted.wideTitle);
    window.visible = wanted.visible;
    window.owner = wanted.owner;
    window.parent = wanted.parent;
    window.style = wanted.style & ~WS_VISIBLE;
    desktop.windows.emplace(value, std::move(window));
    desktop.zOrder.push_back(value);
    return HandleOf(value);
}

HWND CreateTestWindow(const std::string& title, bool visible) {
    WindowSpec wanted;
    wanted.title = title;
    wanted.visible = visible;
    return CreateTestWindow(wanted);
}

HWND CreateTestWindow(const std::u16string& title, bool visible) {
    WindowSpec wanted;
    wanted.wideTitle = title;
    wanted.visible = visible;
    return CreateTestWindow(wanted);
}

void DestroyTestWindow(HWND window) {
    Desktop& desktop = State();
    const uint32_t value = ValueOf(window);
    if (Find(window) == nullptr) {
        return;
    }
    desktop.windows.erase(value);
    desktop.zOrder.erase(std::find(desktop.zOrder.begin(), desktop.zOrder.end(), value));
    if (desktop.foreground == value) {
        desktop.foreground = 0;
    }
}

void SetTestWindowTitle(HWND window, const std::string& title) {
    if (Window* found = Find(window)) {
        SetTitle(*found, Utf16FromAnsiTitle(title));
    }
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
    const auto& zOrder = State().zOrder;
    std::vector<HWND> topFirst;
    topFirst.reserve(zOrder.size());
    for (auto at = zOrder.rbegin(); at != zOrder.rend(); ++at) {
        topFirst.push_back(HandleOf(*at));
    }
    return topFirst;
}

HWND ForegroundWindow() {
    return HandleOf(State().foreground);
}

size_t LiveWindowCount() {
    return State().windows.size();
}

void ResetDesktop() {
    Desktop& desktop = State();
    desktop.windows.clear();
    desktop.zOrder.clear();
    desktop.foreground = 0;
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

} // namespace simwin

BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM context) {
    Desktop& desktop = State();
    ++desktop.calls.enumWindows;
    if (callback == nullptr) {
        return FALSE;
    }
    // The callback and the hook may change the desktop at will: walk a copy, top first, and
    // look every handle up again before each use.
    const std::vector<uint32_t> snapshot(desktop.zOrder.rbegin(), desktop.zOrder.rend());
    for (const uint32_t value : snapshot) {
        const HWND window = HandleOf(value);
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
    ++State().calls.isWindow;
    return Find(window) != nullptr ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    ++State().calls.isWindowVisible;
    Log(simwin::WindowCallKind::IsWindowVisible, window);
    const Window* current = Find(window);
    // Bounded walk: a parent cycle that a test may build must not hang the caller.
    for (size_t steps = 0; current != nullptr && steps <= State().windows.size(); ++steps) {
        if (!current->visible) {
            return FALSE;
        }
        if (!IsChildOfParent(*current)) {
            return TRUE;
        }
        current = Find(current->parent); // a dead parent counts as an invisible one
    }
    return FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    ++State().calls.showWindow;
    Log(simwin::WindowCallKind::ShowWindow, window, command);
    Window* found = Find(window);
    if (found == nullptr) {
        return FALSE;
    }
    const bool wasVisible = found->visible;
    found->visible = command != SW_HIDE;
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    Desktop& desktop = State();
    ++desktop.calls.setForegroundWindow;
    Log(simwin::WindowCallKind::SetForegroundWindow, window);
    if (Find(window) == nullptr) {
        return FALSE;
    }
    desktop.foreground = ValueOf(window);
    Raise(desktop.foreground);
    return TRUE;
}

BOOL WINAPI BringWindowToTop(HWND window) {
    ++State().calls.bringWindowToTop;
    Log(simwin::WindowCallKind::BringWindowToTop, window);
    if (Find(window) == nullptr) {
        return FALSE;
    }
    Raise(ValueOf(window));
    return TRUE;
}

HWND WINAPI GetWindow(HWND window, UINT command) {
    ++State().calls.getWindow;
    const Window* found = Find(window);
    return found != nullptr && command == GW_OWNER ? found->owner : nullptr;
}

HWND WINAPI GetParent(HWND window) {
    ++State().calls.getParent;
    const Window* found = Find(window);
    if (found == nullptr) {
        return nullptr;
    }
    if ((found->style & WS_CHILD) != 0) {
        return found->parent;
    }
    if ((found->style & WS_POPUP) != 0) {
        return found->owner;
    }
    return nullptr;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
    ++State().calls.getWindowLong;
    const Window* found = Find(window);
    if (found == nullptr || index != GWL_STYLE) {
        return 0;
    }
    const DWORD style = found->style | (found->visible ? WS_VISIBLE : 0u);
    return static_cast<LONG>(style); // WS_POPUP makes it negative, as on Windows
}

namespace {

// The limit counts the terminator; a limit of 0 or less writes nothing.
template <typename Char>
int CopyTitle(const std::basic_string<Char>& title, Char* buffer, int limit) {
    if (buffer == nullptr || limit <= 0) {
        return 0;
    }
    const size_t copied = std::min(title.size(), static_cast<size_t>(limit) - 1);
    std::copy(title.begin(), title.begin() + static_cast<std::ptrdiff_t>(copied), buffer);
    buffer[copied] = Char{};
    return static_cast<int>(copied);
}

} // namespace

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int limit) {
    ++State().calls.getWindowText;
    const Window* found = Find(window);
    return found == nullptr ? CopyTitle(std::string(), buffer, limit)
                            : CopyTitle(found->ansiTitle, buffer, limit);
}

int WINAPI GetWindowTextLengthA(HWND window) {
    ++State().calls.getWindowTextLength;
    const Window* found = Find(window);
    return found == nullptr ? 0 : static_cast<int>(found->ansiTitle.size());
}

// Copies code units: a limit that falls inside a surrogate pair keeps its first half, as
// Windows does.
int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int limit) {
    ++State().calls.getWindowTextW;
    const Window* found = Find(window);
    return found == nullptr ? CopyTitle(std::u16string(), buffer, limit)
                            : CopyTitle(found->title, buffer, limit);
}

int WINAPI GetWindowTextLengthW(HWND window) {
    ++State().calls.getWindowTextLengthW;
    const Window* found = Find(window);
    return found == nullptr ? 0 : static_cast<int>(found->title.size());
}

int WINAPI lstrcmpA(LPCSTR first, LPCSTR second) {
    ++State().calls.lstrcmp;
    if (first == nullptr || second == nullptr) {
        return first == second ? 0 : (first == nullptr ? -1 : 1);
    }
    const int order = std::strcmp(first, second); // strcmp compares as unsigned char
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
