#include "window_list.h"

#include "../settings/settings.h"
#include "hidden_window_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFilterTitleCapacity = 256; // the desktop test reads the title with limit 255
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
        char title[kFilterTitleCapacity];
        title[0] = '\0';
        GetWindowTextA(window, title, kFilterTitleCapacity - 1);
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

struct WindowListBuilder {
    PluginPanelItem* items;
    int count;
};

// Allocates the two column texts of an entry; on failure frees what it got and gives null.
char** MakeColumnTexts(HWND window) {
    char** texts = static_cast<char**>(malloc(2 * sizeof(char*)));
    char* status = static_cast<char*>(malloc(kStatusTextSize));
    char* handle = static_cast<char*>(malloc(kHandleTextSize));
    if (texts == nullptr || status == nullptr || handle == nullptr) {
        free(texts);
        free(status);
        free(handle);
        return nullptr;
    }
    status[0] = IsWindowVisible(window) ? ' ' : 'H';
    status[1] = GetWindow(window, GW_OWNER) != nullptr ? 'O' : ' ';
    status[2] = ' ';
    status[3] = g_hiddenWindows.Contains(window) ? 'D' : ' ';
    status[4] = '\0';
    // Window handles fit in 32 bits on every Windows: eight digits of the low 32 bits name one.
    snprintf(handle, kHandleTextSize, "%08X", static_cast<unsigned>(UserDataFromWindow(window)));
    texts[0] = status;
    texts[1] = handle;
    return texts;
}

BOOL CALLBACK AddListedWindow(HWND window, LPARAM context) {
    WindowListBuilder* list = reinterpret_cast<WindowListBuilder*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    char title[kListedTitleCapacity];
    title[0] = '\0';
    GetWindowTextA(window, title, kListedTitleCapacity);
    title[kListedTitleCapacity - 1] = '\0'; // a window procedure answering for it may not end it

    size_t grownSize = (static_cast<size_t>(list->count) + 1) * sizeof(PluginPanelItem);
    PluginPanelItem* grown = static_cast<PluginPanelItem*>(realloc(list->items, grownSize));
    if (grown == nullptr) {
        return TRUE; // the list so far stays intact; this window is left out
    }
    list->items = grown;

    PluginPanelItem* entry = &grown[list->count];
    memset(entry, 0, sizeof(*entry));
    CharToOemA(title, entry->FindData.cFileName);
    entry->UserData = UserDataFromWindow(window);
    entry->CustomColumnData = MakeColumnTexts(window);
    if (entry->CustomColumnData == nullptr) {
        return TRUE; // not counted: the zeroed slot past the count is never read or freed
    }
    entry->CustomColumnNumber = 2;
    ++list->count;
    return TRUE;
}

} // namespace

int IsEligibleWindow(HWND window) {
    return PassesFilter(window) || g_hiddenWindows.Contains(window);
}

int BuildWindowList(PluginPanelItem** items, int* count) {
    WindowListBuilder list = {nullptr, 0};
    EnumWindows(AddListedWindow, reinterpret_cast<LPARAM>(&list));
    if (list.count == 0) {
        free(list.items); // an entry grown but not filled: an empty list is a null array
        list.items = nullptr;
    }
    *items = list.items;
    *count = list.count;
    return 1;
}

void FreeWindowList(PluginPanelItem* items, int count) {
    if (items == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        char** texts = items[i].CustomColumnData;
        if (texts != nullptr) {
            free(texts[0]);
            free(texts[1]);
            free(texts);
        }
    }
    free(items);
}
