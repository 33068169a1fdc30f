// The Win32 subset that Velumo calls, declared for builds off Windows.
//
// Every call declared below is simulated (windows_api.cpp, registry.cpp, code_page.cpp).
//
// Real behaviours reproduced:
//   - top-level windows in z-order; EnumWindows reports them top to bottom from a snapshot taken
//     when it starts, skips windows destroyed since, and keeps going when the callback hides,
//     shows, raises or destroys windows;
//   - handles fit in 32 bits and are never reused within a run; a destroyed handle is harmless
//     to every call (queries give 0, actions do nothing);
//   - GetParent gives the parent of a WS_CHILD window, the owner of an owned WS_POPUP window
//     and 0 otherwise;
//   - a title is UTF-16, cut at its first NUL. GetWindowTextW and GetWindowTextLengthW give its
//     code units; the ANSI calls give its CP1252 form, one byte per code unit, from iconv's
//     tables: '?' for a unit CP1252 lacks (each half of a surrogate pair too; Windows would first
//     try a look-alike letter), and the five bytes CP1252 leaves unassigned stand for U+0081,
//     U+008D, U+008F, U+0090 and U+009D, so every ANSI byte title reads back unchanged;
//   - GetWindowTextA's and GetWindowTextW's limit counts the terminator; W may end inside a
//     surrogate pair;
//   - CharToOemA converts CP1252 to CP437 and OemToCharA CP437 to CP1252, both through iconv,
//     one byte for one byte ('?' where the other page has no such letter), in place when source
//     and destination are the same;
//   - processes with ids and creation times; every window belongs to one, and a process that
//     ends takes its windows with it. OpenProcess fails with ERROR_INVALID_PARAMETER for an id
//     no process has and with ERROR_ACCESS_DENIED for one that refuses queries (another user's);
//     an ended process whose object somebody still holds opens and reports its exit code
//     instead of STILL_ACTIVE. QueryFullProcessImageNameW gives the image path, or fails with
//     ERROR_INSUFFICIENT_BUFFER when it does not fit with its terminator. Every process is in
//     session 1. GetModuleHandleA knows kernel32.dll, and GetProcAddress gives
//     QueryFullProcessImageNameW from it (unless a test takes it away, as on Windows XP);
//   - a registry of keys under HKEY_CURRENT_USER with typed values, case-insensitive names,
//     ERROR_MORE_DATA and ERROR_FILE_NOT_FOUND from RegQueryValueExA, missing parents created by
//     RegCreateKeyExA (volatile keys hold only volatile keys), values enumerated in name order
//     (a deleted one moves the later ones down), and access rights checked by RegSetValueExA,
//     RegDeleteValueA and the creation of a subkey.
//
// Test knobs live in sim_desktop.h, among them call counts and a log of the visibility calls.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef LONG LSTATUS;
typedef unsigned int UINT;
typedef intptr_t LPARAM;
typedef char CHAR;
// UTF-16 code units, as wchar_t is on Windows (Linux's wchar_t is 32 bits wide).
typedef char16_t WCHAR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR* LPWSTR;
typedef uint16_t WORD;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef DWORD* PDWORD;
typedef DWORD REGSAM;
typedef void* HANDLE;
typedef void* LPVOID;
typedef void* LPSECURITY_ATTRIBUTES;

struct HWND__;
typedef HWND__* HWND;
struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;

typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct RECT {
    LONG left, top, right, bottom;
};

struct KEY_EVENT_RECORD {
    BOOL bKeyDown;
    WORD wRepeatCount;
    WORD wVirtualKeyCode;
    WORD wVirtualScanCode;
    union {
        WCHAR UnicodeChar;
        CHAR AsciiChar;
    } uChar;
    DWORD dwControlKeyState;
};

struct INPUT_RECORD {
    WORD EventType;
    union {
        KEY_EVENT_RECORD KeyEvent;
        // The other event records (mouse, size, menu, focus) are no larger than the key one.
        DWORD Other[4];
    } Event;
};

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

#define SW_HIDE 0
#define SW_SHOW 5
#define SW_SHOWNA 8
#define GW_OWNER 4
#define GWL_STYLE (-16)
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F12 0x7B
#define KEY_EVENT 0x0001
#define RIGHT_ALT_PRESSED 0x0001
#define LEFT_ALT_PRESSED 0x0002
#define RIGHT_CTRL_PRESSED 0x0004
#define LEFT_CTRL_PRESSED 0x0008
#define SHIFT_PRESSED 0x0010
#define FILE_ATTRIBUTE_HIDDEN 0x2
#define FILE_ATTRIBUTE_SYSTEM 0x4

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_QWORD 11
#define REG_OPTION_NON_VOLATILE 0
#define REG_OPTION_VOLATILE 1
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_WRITE 0x20006
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#define STILL_ACTIVE 259

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_CHILD_MUST_BE_VOLATILE 1021L

BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM context);
BOOL WINAPI IsWindow(HWND window);
BOOL WINAPI IsWindowVisible(HWND window);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI SetForegroundWindow(HWND window);
BOOL WINAPI BringWindowToTop(HWND window);
HWND WINAPI GetWindow(HWND window, UINT command);
HWND WINAPI GetParent(HWND window);
LONG WINAPI GetWindowLongA(HWND window, int index);
int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int limit);
int WINAPI GetWindowTextLengthA(HWND window);
int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int limit);
int WINAPI GetWindowTextLengthW(HWND window);
BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination);
BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination);
int WINAPI lstrcmpA(LPCSTR first, LPCSTR second);
DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId);
int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int limit);

HANDLE WINAPI OpenProcess(DWORD access, BOOL inherit, DWORD processId);
BOOL WINAPI GetProcessTimes(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                            FILETIME* user);
BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL WINAPI QueryFullProcessImageNameW(HANDLE process, DWORD flags, LPWSTR path, LPDWORD size);
typedef struct HINSTANCE__* HMODULE;
typedef void (*FARPROC)(void);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI CloseHandle(HANDLE object);
HANDLE WINAPI GetCurrentProcess(void);
DWORD WINAPI GetCurrentProcessId(void);
BOOL WINAPI ProcessIdToSessionId(DWORD processId, DWORD* sessionId);
DWORD WINAPI GetLastError(void);

LSTATUS WINAPI RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access,
                             PHKEY result);
LSTATUS WINAPI RegCreateKeyExA(HKEY parent, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                               DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES security,
                               PHKEY result, LPDWORD disposition);
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size);
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD size);
LSTATUS WINAPI RegCloseKey(HKEY key);
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);
LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                             LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);

static_assert(sizeof(KEY_EVENT_RECORD) == 16, "KEY_EVENT_RECORD is Windows' 16 bytes");
static_assert(sizeof(INPUT_RECORD) == 20, "INPUT_RECORD is Windows' 20 bytes");
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
