#include "window_catalogue.h"

#include "hidden_window_table.h"
#include "settings.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kDesktopTitle[] = "Program Manager";

int PassesFilter(HWND window) {
    if (GetWindowLongA(window, GWL_STYLE) & static_cast<LONG>(WS_CHILD)) {
        return 0;
    }
    if (GetParent(window) != nullptr) {
        return 0;
    }
    if (GetWindowTextLengthA(window) == 0) {
        return 0;
    }
    if (!g_settings.ShowDesktopIcon) {
        char title[kTitleReadCapacity];
        title[0] = '\0';
        GetWindowTextA(window, title, kTitleReadCapacity - 1);
        if (lstrcmpA(title, kDesktopTitle) == 0) {
            return 0;
        }
    }
    if (!g_settings.ShowOwnerWindow && GetWindow(window, GW_OWNER) != nullptr) {
        return 0;
    }
    if (!g_settings.ShowInvisibleWindow && !IsWindowVisible(window)) {
        return 0;
    }
    return 1;
}

struct ListingVisit {
    WindowEntryVisitor visit;
    void* context;
};

BOOL CALLBACK VisitIfEligible(HWND window, LPARAM context) {
    const ListingVisit* listing = reinterpret_cast<const ListingVisit*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    WindowEntry entry;
    entry.Handle = window;
    entry.StatusText[0] = IsWindowVisible(window) ? ' ' : 'H';
    entry.StatusText[1] = GetWindow(window, GW_OWNER) != nullptr ? 'O' : ' ';
    // The third place is kept blank: the column is four wide and users read the marks by
    // position, so it stays where a mark may come without moving 'D'.
    entry.StatusText[2] = ' ';
    entry.StatusText[3] = g_hiddenWindows.Contains(window) ? 'D' : ' ';
    entry.StatusText[4] = '\0';
    FormatHandleText(window, entry.HandleText);
    listing->visit(entry, listing->context);
    return TRUE;
}

} // namespace

int IsEligibleWindow(HWND window) {
    return PassesFilter(window) || g_hiddenWindows.Contains(window);
}

void ForEachListedWindow(WindowEntryVisitor visit, void* context) {
    ListingVisit listing = {visit, context};
    EnumWindows(VisitIfEligible, reinterpret_cast<LPARAM>(&listing));
}

void FormatHandleText(HWND window, char (&text)[kHandleTextSize]) {
    snprintf(text, sizeof(text), "%08X",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu));
}

WCHAR* ReadWholeWindowTitle(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length < 0) {
        length = 0;
    }
    WCHAR* title = static_cast<WCHAR*>(malloc((static_cast<size_t>(length) + 1) * sizeof(WCHAR)));
    if (title == nullptr) {
        return nullptr;
    }
    // The length may be more than the text (Windows allows it) or the title may have changed
    // since: the read counts what it copied, and the terminator goes after that.
    int copied = GetWindowTextW(window, title, length + 1);
    if (copied < 0 || copied > length) {
        copied = 0;
    }
    title[copied] = 0;
    return title;
}
