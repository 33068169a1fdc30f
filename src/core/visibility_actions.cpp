#include "visibility_actions.h"

#include "hidden_window_record.h"
#include "hidden_window_table.h"
#include "window_catalogue.h"

#include <cstdint>
#include <cstdlib>

namespace {

void ShowAndBringForward(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    BringWindowToTop(window);
}

// A window visible again needs no entry in the durable record any more.
void ForgetIfVisible(HWND window) {
    if (IsWindowVisible(window)) {
        ForgetHiddenWindow(window);
    }
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

// The text to find, with the Knuth-Morris-Pratt table of its prefixes: fallback[i] is the length
// of the longest proper prefix of text[0..i] that also ends it. A title is then searched in one
// pass, so no text and no title, however long, can hold the host up.
template <typename Char> struct TextSearch {
    const Char* text;
    size_t length;
    size_t* fallback;
    int leftVisible; // windows the search was to hide and could not
};

template <typename Char> void BuildFallback(TextSearch<Char>& search) {
    search.fallback[0] = 0;
    size_t matched = 0;
    for (size_t i = 1; i < search.length; ++i) {
        while (matched > 0 && search.text[i] != search.text[matched]) {
            matched = search.fallback[matched - 1];
        }
        if (search.text[i] == search.text[matched]) {
            ++matched;
        }
        search.fallback[i] = matched;
    }
}

template <typename Char> bool HoldsText(const Char* title, const TextSearch<Char>& search) {
    size_t matched = 0;
    for (; *title != 0; ++title) {
        while (matched > 0 && *title != search.text[matched]) {
            matched = search.fallback[matched - 1];
        }
        if (*title == search.text[matched] && ++matched == search.length) {
            return true;
        }
    }
    return false;
}

template <typename Char> BOOL CALLBACK ToggleIfTitleMatches(HWND window, LPARAM context) {
    TextSearch<Char>& search = *reinterpret_cast<TextSearch<Char>*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    WindowTitle<Char> title;
    const Char* read = title.Read(window);
    if (read != nullptr && HoldsText(read, search) && !ToggleWindow(window)) {
        ++search.leftVisible;
    }
    return TRUE;
}

} // namespace

bool HideWindow(HWND window) {
    if (!IsWindowVisible(window)) {
        return true;
    }
    if (!g_hiddenWindows.Add(window)) {
        return false;
    }
    // Written first: a host that ends between the two leaves an entry for a visible window,
    // which the next Velumo drops. A record that cannot be written leaves the hide as it was
    // without one: this process still lists the window and shows it again.
    RecordHiddenWindow(window);
    ShowWindow(window, SW_HIDE);
    return true;
}

void RestoreWindow(HWND window) {
    if (!IsWindowVisible(window)) {
        ShowAndBringForward(window);
        g_hiddenWindows.Remove(window);
    }
    ForgetIfVisible(window);
}

bool ToggleWindow(HWND window) {
    if (IsWindowVisible(window)) {
        return HideWindow(window);
    }
    RestoreWindow(window);
    return true;
}

void ActivateWindow(HWND window) {
    ShowAndBringForward(window);
    ForgetIfVisible(window);
}

void RestoreAllWindows() {
    // Windows whose Velumo ended meanwhile are taken first, so they come back with the rest; the
    // same pass drops the entries of windows gone since.
    AdoptOrphanedWindows();
    EnumWindows(RestoreIfRecorded, 0);
}

template <typename Char> int ToggleWindowsByTitle(const Char* text) {
    if (text == nullptr || text[0] == 0) {
        return 0;
    }
    TextSearch<Char> search = {text, 0, nullptr, 0};
    while (text[search.length] != 0) {
        ++search.length;
    }
    // A text as long as a title read can be needs no allocation; a longer one (possible only for
    // whole UTF-16 titles) gets its table from the heap, and toggles nothing without one.
    size_t onStack[kTitleReadCapacity];
    size_t* onHeap = nullptr;
    if (search.length <= kTitleReadCapacity) {
        search.fallback = onStack;
    } else if (search.length <= SIZE_MAX / sizeof(size_t)) {
        onHeap = static_cast<size_t*>(malloc(search.length * sizeof(size_t)));
        search.fallback = onHeap;
    }
    if (search.fallback == nullptr) {
        return 0;
    }
    BuildFallback(search);
    EnumWindows(ToggleIfTitleMatches<Char>, reinterpret_cast<LPARAM>(&search));
    free(onHeap);
    return search.leftVisible;
}

template int ToggleWindowsByTitle<char>(const char* text);
template int ToggleWindowsByTitle<WCHAR>(const WCHAR* text);
