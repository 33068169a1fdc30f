#include "visibility_actions.h"

#include "hidden_window_table.h"
#include "window_list.h"

#include <cstring>

namespace {

constexpr int kMatchTitleCapacity = 256; // read with limit 255: at most 254 characters
constexpr size_t kLongestReadTitle = kMatchTitleCapacity - 2;

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

BOOL CALLBACK ToggleIfTitleMatches(HWND window, LPARAM context) {
    const char* text = reinterpret_cast<const char*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    char title[kMatchTitleCapacity];
    title[0] = '\0';
    GetWindowTextA(window, title, kMatchTitleCapacity - 1);
    title[kMatchTitleCapacity - 1] = '\0';
    if (strstr(title, text) != nullptr) {
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

void ToggleWindowsByTitle(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    // No title is read longer than kLongestReadTitle characters, so a longer text occurs in
    // none: it toggles nothing and need not be converted at all. Looking one byte past that
    // length is enough to tell, however long the text is.
    if (strnlen(text, kLongestReadTitle + 1) > kLongestReadTitle) {
        return;
    }
    // The host hands the text over in the OEM code page, the titles are in the ANSI one. One
    // byte stays one byte, so the text and its terminator fit the buffer.
    char ansiText[kMatchTitleCapacity];
    OemToCharA(text, ansiText);
    EnumWindows(ToggleIfTitleMatches, reinterpret_cast<LPARAM>(ansiText));
}
