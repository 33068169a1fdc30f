#include "desktop_test.h"

#include <algorithm>
#include <cstdio>

namespace winetest {

std::string g_desktopError = "main() did not set up the test desktop";

void DesktopTest::SetUp() {
    ASSERT_TRUE(g_desktopError.empty()) << g_desktopError;
}

void DesktopTest::TearDown() {
    for (HWND window : windows_) {
        DestroyWindow(window);
    }
    windows_.clear();
    PumpMessages();
}

HWND DesktopTest::Keep(HWND window, const std::string& shownTitle) {
    EXPECT_NE(nullptr, window) << "CreateWindowEx \"" << shownTitle << "\" failed, error "
                               << GetLastError();
    if (window != nullptr) {
        windows_.push_back(window);
    }
    PumpMessages();
    return window;
}

HWND DesktopTest::MakeWindow(const std::string& title, DWORD style, HWND owner) {
    return Keep(harness::MakeWindow(title, style, owner), Printable(title));
}

HWND DesktopTest::MakeWindowW(const std::wstring& title, DWORD style) {
    HWND window = Keep(harness::MakeWindowW(title, style), "(UTF-16)");
    EXPECT_TRUE(window == nullptr || WholeTitleOf(window) == title)
        << "Windows keeps another title than the one set";
    return window;
}

bool DesktopTest::IsOwnWindow(HWND window) const {
    return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

std::vector<HWND> DesktopTest::OwnZOrder() const {
    std::vector<HWND> own;
    for (HWND window : harness::TopLevelWindows()) {
        if (IsOwnWindow(window)) {
            own.push_back(window);
        }
    }
    return own;
}

void DesktopTest::PutInFront(HWND window) {
    ASSERT_TRUE(SetForegroundWindow(window));
    ASSERT_TRUE(BringWindowToTop(window));
    PumpMessages();
    ASSERT_EQ(window, GetForegroundWindow());
    ASSERT_EQ(window, OwnZOrder().front());
}

void DesktopTest::ExpectInFront(const char* file, int line, HWND window) const {
    const std::vector<HWND> own = OwnZOrder();
    if (GetForegroundWindow() != window || own.empty() || own.front() != window) {
        ADD_FAILURE_AT(file, line) << Named(window) << " is not in front: the foreground window is "
                                   << Named(GetForegroundWindow()) << ", the topmost "
                                   << Named(own.empty() ? nullptr : own.front());
    }
}

void DesktopTest::DestroyOwnWindow(HWND window) {
    EXPECT_TRUE(DestroyWindow(window)) << Named(window);
    windows_.erase(std::find(windows_.begin(), windows_.end(), window));
    PumpMessages();
}

ChildProcess::ChildProcess(std::wstring commandLine, HANDLE output) {
    wchar_t desktop[256] = L""; // the thread's own, made by main()
    GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop,
                              sizeof desktop, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    startup.dwFlags = output != nullptr ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = startup.hStdError = output;
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr,
                        nullptr, &startup, &process_)) {
        ADD_FAILURE() << "CreateProcessW "
                      << Printable(std::string(commandLine.begin(), commandLine.end()))
                      << ": error " << GetLastError();
        process_ = {};
    }
}

ChildProcess::~ChildProcess() {
    if (process_.hProcess != nullptr) {
        End(); // one a failed test left running
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool ChildProcess::End() {
    return TerminateProcess(process_.hProcess, 1) &&
           WaitForSingleObject(process_.hProcess, kMilliseconds) == WAIT_OBJECT_0;
}

bool WaitServing(HANDLE object, HANDLE orElse) {
    const HANDLE objects[2] = {object, orElse};
    const DWORD count = orElse != nullptr ? 2 : 1;
    for (const DWORD start = GetTickCount();
         GetTickCount() - start < ChildProcess::kMilliseconds;) {
        const DWORD woke = MsgWaitForMultipleObjects(count, objects, FALSE, 1000, QS_ALLINPUT);
        PumpMessages();
        if (woke < WAIT_OBJECT_0 + count) { // else messages came, or a second passed
            return woke == WAIT_OBJECT_0;
        }
    }
    return false;
}

std::string Printable(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        char escaped[8];
        snprintf(escaped, sizeof(escaped), c < 0x20 || c >= 0x7F ? "\\x%02X" : "%c", c);
        shown += escaped;
    }
    return shown;
}

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::string WindowTitle(HWND window) {
    char title[512];
    int length = GetWindowTextA(window, title, sizeof(title));
    return std::string(title, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring WholeTitleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring title(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const int copied = GetWindowTextW(window, &title[0], static_cast<int>(title.size()));
    title.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return title;
}

std::string Named(HWND window) {
    return "window " + HandleText(window) + " \"" + Printable(WindowTitle(window)) + "\"";
}

bool operator==(const StoredValue& a, const StoredValue& b) {
    return a.type == b.type && a.data == b.data;
}

void PrintTo(const StoredValue& value, std::ostream* out) {
    *out << "type " << value.type << " (REG_SZ 1, REG_BINARY 3, REG_DWORD 4, REG_QWORD 11), "
         << value.data.size() << " bytes {";
    for (size_t i = 0; i < value.data.size(); ++i) {
        char byte[8];
        snprintf(byte, sizeof(byte), "%s%02X", i ? " " : "", value.data[i]);
        *out << byte;
    }
    *out << "}";
}

StoredValue StoredDword(DWORD value) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&value);
    return StoredValue{REG_DWORD, std::vector<uint8_t>(bytes, bytes + sizeof value)};
}

std::map<std::string, StoredValue> StoredValues(const std::string& path) {
    std::map<std::string, StoredValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        uint8_t data[1024];
        DWORD length = sizeof name, type = 0, size = sizeof data;
        const LONG read = RegEnumValueA(key, index, name, &length, nullptr, &type, data, &size);
        if (read != ERROR_SUCCESS) {
            EXPECT_EQ(ERROR_NO_MORE_ITEMS, read) << "a value of " << path << " not read whole";
            break;
        }
        values[std::string(name, length)] =
            StoredValue{type, std::vector<uint8_t>(data, data + size)};
    }
    RegCloseKey(key);
    return values;
}

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void SeedValue(const std::string& path, const char* name, const StoredValue& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr))
        << "RegCreateKeyExA " << path;
    const LONG set = RegSetValueExA(key, name, 0, value.type, value.data.data(),
                                    static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, set) << "RegSetValueExA " << name;
}

void ExpectVisible(const char* file, int line, HWND window, bool visible) {
    const bool seen = IsWindowVisible(window) != FALSE;
    if (seen != visible) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected " << (visible ? "visible" : "hidden") << ", seen "
            << (seen ? "visible" : "hidden");
    }
}

} // namespace winetest
