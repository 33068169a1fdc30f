#include "window_catalogue.h"

#include "hidden_window_table.h"
#include "settings.h"

#include <cstdlib>

namespace {

constexpr char kDesktopTitle[] = "Program Manager";

// A window's facts as the filter and the entry need them, each read at most once.
struct WindowFacts {
    int titleLength;
    bool owned;
    bool visible;
    bool hiddenByVelumo;
};

int TitleLength(HWND window, bool wide) {
    const int length = wide ? GetWindowTextLengthW(window) : GetWindowTextLengthA(window);
    return length > 0 ? length : 0;
}

bool HasDesktopTitle(HWND window, bool wide) {
    if (!wide) {
        char title[kTitleReadCapacity];
        title[0] = '\0';
        GetWindowTextA(window, title, kTitleReadCapacity - 1);
        return lstrcmpA(title, kDesktopTitle) == 0;
    }
    WCHAR title[sizeof(kDesktopTitle) + 1];
    const int copied = GetWindowTextW(window, title, sizeof(kDesktopTitle) + 1);
    if (copied != static_cast<int>(sizeof(kDesktopTitle)) - 1) {
        return false; // shorter, or cut at one character more: another title
    }
    for (int i = 0; i < copied; ++i) {
        if (title[i] != static_cast<WCHAR>(kDesktopTitle[i])) {
            return false;
        }
    }
    return true;
}

// Whether the window is listed, reading its facts in the filter's order and stopping at the
// first that rules it out. A window Velumo hid is listed whatever the settings say, so for it
// only what its entry shows is read.
bool ReadListedFacts(HWND window, bool wide, WindowFacts* facts) {
    facts->hiddenByVelumo = g_hiddenWindows.Contains(window) != 0;
    const bool filtered = !facts->hiddenByVelumo;
    if (filtered && ((GetWindowLongA(window, GWL_STYLE) & static_cast<LONG>(WS_CHILD)) != 0 ||
                     GetParent(window) != nullptr)) {
        return false;
    }
    facts->titleLength = TitleLength(window, wide);
    if (filtered && (facts->titleLength == 0 ||
                     (!g_settings.ShowDesktopIcon && HasDesktopTitle(window, wide)))) {
        return false;
    }
    facts->owned = GetWindow(window, GW_OWNER) != nullptr;
    if (filtered && !g_settings.ShowOwnerWindow && facts->owned) {
        return false;
    }
    facts->visible = IsWindowVisible(window) != 0;
    return !filtered || g_settings.ShowInvisibleWindow || facts->visible;
}

struct ListingVisit {
    WindowEntryVisitor visit;
    void* context;
    bool wide;
};

BOOL CALLBACK VisitIfEligible(HWND window, LPARAM context) {
    const ListingVisit* listing = reinterpret_cast<const ListingVisit*>(context);
    WindowFacts facts;
    if (!ReadListedFacts(window, listing->wide, &facts)) {
        return TRUE;
    }
    WindowEntry entry;
    entry.Handle = window;
    entry.TitleLength = facts.titleLength;
    entry.StatusText[0] = facts.visible ? ' ' : 'H';
    entry.StatusText[1] = facts.owned ? 'O' : ' ';
    // The third place is kept blank: the column is four wide and users read the marks by
    // position, so it stays where a mark may come without moving 'D'.
    entry.StatusText[2] = ' ';
    entry.StatusText[3] = facts.hiddenByVelumo ? 'D' : ' ';
    entry.StatusText[4] = '\0';
    FormatHandleText(window, entry.HandleText);
    listing->visit(entry, listing->context);
    return TRUE;
}

} // namespace

int IsEligibleWindow(HWND window) {
    WindowFacts facts;
    return ReadListedFacts(window, false, &facts) ? 1 : 0;
}

void ForEachListedWindow(WindowEntryVisitor visit, void* context, bool wide) {
    ListingVisit listing = {visit, context, wide};
    EnumWindows(VisitIfEligible, reinterpret_cast<LPARAM>(&listing));
}

void FormatHandleText(HWND window, char (&text)[kHandleTextSize]) {
    static const char kDigits[] = "0123456789ABCDEF";
    uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu);
    for (int i = kHandleTextSize - 2; i >= 0; --i, value >>= 4) {
        text[i] = kDigits[value & 0xFu];
    }
    text[kHandleTextSize - 1] = '\0';
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
