#include "panel_items.h"

#include "../core/visibility_actions.h"

#include <cstdlib>
#include <cstring>

namespace far1 {

namespace {

// The longest title a command-line match reads; see ToggleWindowsByTitle.
constexpr size_t kLongestMatchedTitle = kTitleReadCapacity - 2;

struct WindowListBuilder {
    PluginPanelItem* items;
    int count;
};

// Allocates the two column texts of an item; on failure frees what it got and gives null.
char** MakeColumnTexts(const WindowEntry& entry) {
    char** texts = static_cast<char**>(malloc(2 * sizeof(char*)));
    char* status = static_cast<char*>(malloc(kStatusTextSize));
    char* handle = static_cast<char*>(malloc(kHandleTextSize));
    if (texts == nullptr || status == nullptr || handle == nullptr) {
        free(texts);
        free(status);
        free(handle);
        return nullptr;
    }
    memcpy(status, entry.StatusText, kStatusTextSize);
    memcpy(handle, entry.HandleText, kHandleTextSize);
    texts[0] = status;
    texts[1] = handle;
    return texts;
}

void AddListedWindow(const WindowEntry& entry, void* context) {
    WindowListBuilder* list = static_cast<WindowListBuilder*>(context);
    char title[kListedTitleCapacity];
    title[0] = '\0';
    GetWindowTextA(entry.Handle, title, kListedTitleCapacity);
    title[kListedTitleCapacity - 1] = '\0'; // a window procedure answering for it may not end it

    size_t grownSize = (static_cast<size_t>(list->count) + 1) * sizeof(PluginPanelItem);
    PluginPanelItem* grown = static_cast<PluginPanelItem*>(realloc(list->items, grownSize));
    if (grown == nullptr) {
        return; // the list so far stays intact; this window is left out
    }
    list->items = grown;

    PluginPanelItem* item = &grown[list->count];
    memset(item, 0, sizeof(*item));
    CharToOemA(title, item->FindData.cFileName);
    item->UserData = UserDataFromWindow(entry.Handle);
    item->CustomColumnData = MakeColumnTexts(entry);
    if (item->CustomColumnData == nullptr) {
        return; // not counted: the zeroed slot past the count is never read or freed
    }
    item->CustomColumnNumber = 2;
    ++list->count;
}

} // namespace

int BuildWindowList(PluginPanelItem** items, int* count) {
    WindowListBuilder list = {nullptr, 0};
    ForEachListedWindow(AddListedWindow, &list);
    if (list.count == 0) {
        free(list.items); // an item grown but not filled: an empty list is a null array
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

void ToggleWindowsByOemText(const char* oemText) {
    if (oemText == nullptr || oemText[0] == '\0') {
        return;
    }
    // No title is read longer than kLongestMatchedTitle characters, so a longer text occurs in
    // none: it toggles nothing and need not be converted at all. Looking one byte past that
    // length is enough to tell, however long the text is.
    if (strnlen(oemText, kLongestMatchedTitle + 1) > kLongestMatchedTitle) {
        return;
    }
    // One byte stays one byte, so the text and its terminator fit the buffer.
    char ansiText[kTitleReadCapacity];
    OemToCharA(oemText, ansiText);
    ToggleWindowsByTitle(ansiText);
}

} // namespace far1
