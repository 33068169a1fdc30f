#include "panel_items.h"

#include "../core/window_catalogue.h"

#include <cstdlib>
#include <cstring>

namespace far3 {

namespace {

constexpr size_t kFirstCapacity = 64;

// The two column texts of an item and the array that points at them, in one allocation.
struct ItemTexts {
    const WCHAR* Columns[2];
    WCHAR Status[kStatusTextSize];
    WCHAR Handle[kHandleTextSize];
};

template <size_t Size> void Widen(const char (&from)[Size], WCHAR (&to)[Size]) {
    for (size_t i = 0; i < Size; ++i) {
        to[i] = static_cast<WCHAR>(static_cast<unsigned char>(from[i]));
    }
}

struct PanelItemList {
    PluginPanelItem* items;
    size_t count;
    size_t capacity;
};

bool MakeRoom(PanelItemList* list) {
    if (list->count < list->capacity) {
        return true;
    }
    size_t capacity = list->capacity == 0 ? kFirstCapacity : list->capacity * 2;
    if (capacity > SIZE_MAX / sizeof(PluginPanelItem)) {
        return false;
    }
    void* grown = realloc(list->items, capacity * sizeof(PluginPanelItem));
    if (grown == nullptr) {
        return false;
    }
    list->items = static_cast<PluginPanelItem*>(grown);
    list->capacity = capacity;
    return true;
}

ItemTexts* MakeItemTexts(const WindowEntry& entry) {
    ItemTexts* texts = static_cast<ItemTexts*>(malloc(sizeof(ItemTexts)));
    if (texts == nullptr) {
        return nullptr;
    }
    Widen(entry.StatusText, texts->Status);
    Widen(entry.HandleText, texts->Handle);
    texts->Columns[0] = texts->Status;
    texts->Columns[1] = texts->Handle;
    return texts;
}

void AddPanelItem(const WindowEntry& entry, void* context) {
    PanelItemList* list = static_cast<PanelItemList*>(context);
    if (!MakeRoom(list)) {
        return; // the list so far stays intact; this window is left out
    }
    WCHAR* title = ReadWholeWindowTitle(entry.Handle);
    ItemTexts* texts = MakeItemTexts(entry);
    if (title == nullptr || texts == nullptr) {
        free(title);
        free(texts);
        return;
    }
    PluginPanelItem* item = &list->items[list->count];
    memset(item, 0, sizeof(*item));
    item->FileName = title;
    item->CustomColumnData = texts->Columns;
    item->CustomColumnNumber = 2;
    item->UserData.Data = UserDataFromWindow(entry.Handle);
    ++list->count;
}

} // namespace

void BuildPanelItems(PluginPanelItem** items, size_t* count) {
    PanelItemList list = {nullptr, 0, 0};
    ForEachListedWindow(AddPanelItem, &list);
    if (list.count == 0) {
        free(list.items);
        list.items = nullptr;
    }
    *items = list.items;
    *count = list.count;
}

void FreePanelItems(PluginPanelItem* items, size_t count) {
    if (items == nullptr) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        free(const_cast<WCHAR*>(items[i].FileName));
        // The column array is at the start of the item's texts block.
        free(const_cast<const WCHAR**>(items[i].CustomColumnData));
    }
    free(items);
}

} // namespace far3
