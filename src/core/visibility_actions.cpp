#include "visibility_actions.h"

#include "hidden_window_table.h"
#include "window_catalogue.h"

#include <cstdlib>

namespace {

void ShowAndBringForward(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    BringWindowToTop(window);
}

BOOL CALLBACK RestoreIfRecorded(HWND window, LPARAM) {
    if (g_hiddenWindows.Contains(window)) {
        RestoreWindow(window);
    }
    return TRUE;
}

// The title of one window, read in the front end's character type.
template <typename Char> struct WindowTitle;

template <> struct WindowTitle<char> {
    char text[kTitleReadCapacity];

    const char* Read(HWND window) {
        text[0] = '\0';
        GetWindowTextA(window, text, kTitleReadCapacity - 1);
        text[kTitleReadCapacity - 1] = '\0'; // a window procedure answering may not end it
        return text;
    }
};

template <> struct WindowTitle<WCHAR> {
    WCHAR* text = nullptr;

    WindowTitle() = default;
    WindowTitle(const WindowTitle&) = delete;
    WindowTitle& operator=(const WindowTitle&) = delete;
    ~WindowTitle() { free(text); }

    // Null when the title cannot be allocated: that window is then left alone.
    const WCHAR* Read(HWND window) {
        text = ReadWholeWindowTitle(window);
        return text;
    }
};

template <typename Char> bool HoldsText(const Char* title, const Char* text) {
    for (; *title != 0; ++title) {
        const Char* t = title;
        const Char* x = text;
        while (*x != 0 && *t == *x) {
            ++t;
            ++x;
        }
        if (*x == 0) {
            return true;
        }
    }
    return false;
}

template <typename Char> BOOL CALLBACK ToggleIfTitleMatches(HWND window, LPARAM context) {
    const Char* text = reinterpret_cast<const Char*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    WindowTitle<Char> title;
    const Char* read = title.Read(window);
    if (read != nullptr && HoldsText(read, text)) {
        ToggleWindow(window);
    }
    return TRUE;
}

} // namespace

void HideWindow(HWND window) {
    if (!IsWindowVisible(window)) {
        return;
    }
    if (!g_hiddenWindows.Add(window)) {
        return;
    }
    ShowWindow(window, SW_HIDE);
}

void RestoreWindow(HWND window) {
    if (IsWindowVisible(window)) {
        return;
    }
    ShowAndBringForward(window);
    g_hiddenWindows.Remove(window);
}

void ToggleWindow(HWND window) {
    if (IsWindowVisible(window)) {
        HideWindow(window);
    } else {
        RestoreWindow(window);
    }
}

void ActivateWindow(HWND window) {
    ShowAndBringForward(window);
}

void RestoreAllWindows() {
    EnumWindows(RestoreIfRecorded, 0);
}

template <typename Char> void ToggleWindowsByTitle(const Char* text) {
    if (text == nullptr || text[0] == 0) {
        return;
    }
    EnumWindows(ToggleIfTitleMatches<Char>, reinterpret_cast<LPARAM>(text));
}

template void ToggleWindowsByTitle<char>(const char* text);
template void ToggleWindowsByTitle<WCHAR>(const WCHAR* text);
