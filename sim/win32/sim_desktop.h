// Test knobs of the simulated Win32 subset: build a desktop, change it behind the plug-in's
// back, make registry calls fail, and look at what was done: how often each call was made, and,
// while logging is on, the visibility calls in the order made.
#pragma once

#include "windows_api.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace simwin {

struct WindowSpec {
    std::string title;        // bytes in the ANSI code page; cut at the first NUL like a real title
    std::u16string wideTitle; // when not empty, the title in UTF-16 instead of `title`
    bool visible = true;      // WS_VISIBLE
    HWND owner = nullptr;
    HWND parent = nullptr; // reported by GetParent only for a WS_CHILD window
    DWORD style = 0;       // extra style bits (WS_POPUP, WS_CHILD, ...); WS_VISIBLE is derived
    DWORD process = 0;     // the owning process; 0: kDesktopProcess
    std::u16string className = u"TestWindow";
};

// The process of the windows a test makes, running from every ResetDesktop on; the plug-in's
// host is another one (CurrentTestProcess).
constexpr DWORD kDesktopProcess = 0x1F0;

// Creates a top-level window at the top of the z-order and returns its new handle, distinct
// from every handle handed out before in the process, in 32 bits.
HWND CreateTestWindow(const WindowSpec& spec);
HWND CreateTestWindow(const std::string& title, bool visible = true);
HWND CreateTestWindow(const std::u16string& title, bool visible = true);

void DestroyTestWindow(HWND window); // later calls treat the handle as dead
void SetTestWindowTitle(HWND window, const std::string& title);
void SetTestWindowTitle(HWND window, const std::u16string& title);
void SetTestWindowStyle(HWND window, DWORD style);    // replaces the style bits but WS_VISIBLE
void SetTestWindowVisible(HWND window, bool visible); // another program hides or shows it

// A UTF-16 title for the calls above from UTF-8 text; throws std::invalid_argument on bytes that
// are not UTF-8.
std::u16string Utf16FromUtf8(const std::string& utf8);

// Another window under the same handle, as Windows reuses a handle once its window is gone: the
// window is destroyed and the new one takes its place at the top of the z-order.
void ReplaceTestWindow(HWND window, const WindowSpec& spec);

// Starts a process with a creation time later than every earlier one, under `id` (0: a fresh
// id); throws std::logic_error when a process still holds the id.
DWORD StartTestProcess(DWORD id = 0);
// The process ends and its windows are destroyed; with `objectKept` somebody still holds its
// process object, so it can be opened and reports its end.
void EndTestProcess(DWORD id, bool objectKept = false);
DWORD CurrentTestProcess();
bool TestProcessRuns(DWORD id);
// The plug-in's host is killed: its process ends and a new one (a fresh id) takes its place.
void RestartCurrentProcess(bool objectKept = false);
// The process's image path as QueryFullProcessImageNameW gives it (empty: a path made from the
// id, "C:\Programs\process<id>.exe", or "C:\Windows\explorer.exe" for kDesktopProcess); with
// `queriesDenied` OpenProcess refuses it every right, as Windows does for another user's process.
void SetTestProcessImage(DWORD id, const std::u16string& path, bool queriesDenied = false);
// Whether kernel32.dll exports QueryFullProcessImageNameW to GetProcAddress (Vista and later);
// ResetDesktop makes it exported again.
void SetImageNameQueryExported(bool exported);
// Another host side by side: the calls are made from that (running) process from now on.
void SetCurrentTestProcess(DWORD id);
// Thrown by the simulated call that kills the host (KillHostAtCall).
struct HostKilled {};
// The `count`-th visibility (IsWindowVisible, ShowWindow, SetForegroundWindow,
// BringWindowToTop) or registry call from now on throws HostKilled before it acts,
// as if the host died right there (0: never). Fires once.
void KillHostAtCall(uint64_t count);
// Process handles opened and not closed.
int OpenProcessHandleCount();

// Live windows, top of the z-order first.
std::vector<HWND> ZOrder();
HWND ForegroundWindow();

// Destroys every window and forgets the foreground and every process but a new current one and
// kDesktopProcess; handle and process numbering continue.
void ResetDesktop();

// Called by EnumWindows before each window it reports (with that window), so that a test can
// change the desktop in the middle of an enumeration. Empty function: no hook.
void SetEnumerationHook(std::function<void(HWND)> hook);

// How often each window-system call was made since the last ResetCallCounts; getWindowText and
// getWindowTextLength count the ANSI calls.
struct CallCounts {
    uint64_t enumWindows = 0, isWindow = 0, isWindowVisible = 0, showWindow = 0,
             setForegroundWindow = 0, bringWindowToTop = 0, getWindow = 0, getParent = 0,
             getWindowLong = 0, getWindowText = 0, getWindowTextLength = 0, getWindowTextW = 0,
             getWindowTextLengthW = 0, charToOem = 0, oemToChar = 0, lstrcmp = 0,
             getWindowThreadProcessId = 0, openProcess = 0, queryFullProcessImageName = 0;
};
const CallCounts& Calls();
void ResetCallCounts();

// The calls that hide, show and activate windows or ask whether one is visible, as logged.
enum class WindowCallKind { IsWindowVisible, ShowWindow, SetForegroundWindow, BringWindowToTop };
struct WindowCall {
    WindowCallKind kind;
    HWND window;
    int showCommand; // ShowWindow's command; 0 for the others
    bool marked;     // what the mark function said of the window before the call acted
};
// On: starts an empty log of those calls, asking `mark` (when given) about the window at each
// call, so that a test can see the process's own state at that moment. Off (the default, so
// that long runs keep no log): stops logging and empties the log.
void LogWindowCalls(bool on, std::function<bool(HWND)> mark = {});
const std::vector<WindowCall>& WindowCallLog();

// Registry (HKEY_CURRENT_USER only).
enum class RegistryCall { Open, Create, Query, Set, Close };

// Every later call of that kind returns `error` (ERROR_SUCCESS clears the failure) without
// doing anything.
void FailRegistryCall(RegistryCall call, LONG error);

// Empties the tree, clears failures and the write log; keys still open become invalid.
void ResetRegistry();

// Paths are relative to HKEY_CURRENT_USER, components separated by '\'.
void SeedRegistryValue(const std::string& keyPath, const std::string& name, DWORD type,
                       const std::vector<uint8_t>& data);
bool RegistryKeyExists(const std::string& keyPath);
bool RegistryKeyIsVolatile(const std::string& keyPath);
// The key's value names in enumeration order; empty for a missing key.
std::vector<std::string> RegistryValueNames(const std::string& keyPath);
bool ReadRegistryValue(const std::string& keyPath, const std::string& name, DWORD* type,
                       std::vector<uint8_t>* data);

struct RegistryWrite {
    std::string keyPath; // as opened, with the names' stored spelling
    std::string name;
    DWORD type;
    std::vector<uint8_t> data;
};
// Every value stored by RegSetValueExA since the last reset, in order.
const std::vector<RegistryWrite>& RegistryWrites();

// Keys opened or created and not closed yet.
int OpenRegistryKeyCount();

} // namespace simwin
