#include "window_harness.h"

#include <algorithm>
#include <cstdio>

namespace harness {
namespace {

constexpr char kWindowClass[] = "VelumoHarnessWindow";
constexpr wchar_t kWideWindowClass[] = L"VelumoHarnessWindowW";

// The harness's two window classes, registered on first use: a window of the ANSI one takes its
// title through the ANSI code page, one of the UTF-16 one exactly as given.
bool RegisterWindowClasses() {
    static const bool registered = []() {
        WNDCLASSA ansi{};
        ansi.lpfnWndProc = DefWindowProcA;
        ansi.hInstance = GetModuleHandleA(nullptr);
        ansi.lpszClassName = kWindowClass;
        WNDCLASSW wide{};
        wide.lpfnWndProc = DefWindowProcW;
        wide.hInstance = ansi.hInstance;
        wide.lpszClassName = kWideWindowClass;
        return RegisterClassA(&ansi) != 0 && RegisterClassW(&wide) != 0;
    }();
    return registered;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

std::string FailedCall(const char* call, const std::string& name) {
    return std::string(call) + "(\"" + name + "\") failed, error " + std::to_string(GetLastError());
}

} // namespace

std::string ProcessDesktopName(const char* prefix) {
    return std::string(prefix) + "-" + std::to_string(GetCurrentProcessId());
}

std::string UseOwnDesktop(const std::string& name) {
    HDESK desktop = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop == nullptr) {
        return FailedCall("CreateDesktopA", name);
    }
    if (!SetThreadDesktop(desktop)) {
        return FailedCall("SetThreadDesktop", name);
    }
    return std::string();
}

HWND MakeWindow(const std::string& title, DWORD style, HWND owner, DWORD exStyle, int slot) {
    if (!RegisterWindowClasses()) {
        return nullptr;
    }
    return CreateWindowExA(exStyle, kWindowClass, title.c_str(), style, (slot % 40) * 8,
                           (slot % 30) * 8, 160, 90, owner, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

HWND MakeWindowW(const std::wstring& title, DWORD style, HWND owner) {
    if (!RegisterWindowClasses()) {
        return nullptr;
    }
    return CreateWindowExW(0, kWideWindowClass, title.c_str(), style, 0, 0, 160, 90, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool GrowDocumentWindows(int count, int* made) {
    for (; *made < count; ++*made) {
        char title[64];
        snprintf(title, sizeof title, "Document %05d.txt - Editor", *made);
        if (MakeWindow(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, *made) == nullptr) {
            return false;
        }
        if (*made % 64 == 0) {
            PumpMessages();
        }
    }
    PumpMessages();
    return true;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string BesideProgram(const std::string& relative) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string program(path, length < sizeof(path) ? length : 0);
    std::string joined = program.substr(0, program.find_last_of("\\/") + 1) + relative;
    std::replace(joined.begin(), joined.end(), '/', '\\');
    return joined;
}

bool LoadVelumo(const std::string& dllPath, far1host::PluginExports* exports,
                std::vector<std::string>* messages, std::string* error) {
    if (!far1host::LoadPlugin(dllPath, exports, error)) {
        return false;
    }
    std::string languageFile = dllPath.substr(0, dllPath.find_last_of("\\/") + 1) + "VelumoEng.lng";
    std::string languageLine;
    if (!far1host::LoadLanguageFile(languageFile, messages, &languageLine)) {
        *error = "cannot read " + languageFile;
        return false;
    }
    return true;
}

} // namespace harness
