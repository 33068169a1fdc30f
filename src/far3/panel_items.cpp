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

// An item array's block: its capacity, then the items, which are what FAR is handed. The header
// tells FreePanelItems the capacity of an array FAR gives back; it is padded to the items'
// alignment, which malloc's blocks have.
struct ItemArrayHeader {
    alignas(PluginPanelItem) size_t capacity;
};
static_assert(sizeof(ItemArrayHeader) % alignof(PluginPanelItem) == 0, "items follow aligned");

ItemArrayHeader* HeaderOf(PluginPanelItem* items) {
    return reinterpret_cast<ItemArrayHeader*>(items) - 1;
}

PluginPanelItem* ItemsOf(ItemArrayHeader* header) {
    return reinterpret_cast<PluginPanelItem*>(header + 1);
}

struct PanelItemList {
    ItemArrayHeader* array; // null until the first item
    size_t count;
};

// The array of the last listing FAR gave back, kept for the next listing: FAR lists a panel
// again at every refresh, and Wine's heap hands a freed block of more than 80 KiB (some 500
// windows) back to the system, so that every listing would fault its array's pages in anew.
// Null, or an array no listing uses. Process-wide, like the panels it serves.
ItemArrayHeader* g_spareItemArray;

// Keeps `array` as the spare when it is larger than the one kept; frees the smaller of the two.
void KeepAsSpare(ItemArrayHeader* array) {
    if (array == nullptr) {
        return;
    }
    if (g_spareItemArray != nullptr && g_spareItemArray->capacity >= array->capacity) {
        free(array);
        return;
    }
    free(g_spareItemArray);
    g_spareItemArray = array;
}

size_t CapacityOf(const PanelItemList& list) {
    return list.array == nullptr ? 0 : list.array->capacity;
}

bool MakeRoom(PanelItemList* list) {
    const size_t capacity = CapacityOf(*list);
    if (list->count < capacity) {
        return true;
    }
    const size_t grownCapacity = capacity == 0 ? kFirstCapacity : capacity * 2;
    if (grownCapacity > (SIZE_MAX - sizeof(ItemArrayHeader)) / sizeof(PluginPanelItem)) {
        return false;
    }
    void* grown =
        realloc(list->array, sizeof(ItemArrayHeader) + grownCapacity * sizeof(PluginPanelItem));
    if (grown == nullptr) {
        return false;
    }
    list->array = static_cast<ItemArrayHeader*>(grown);
    list->array->capacity = grownCapacity;
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
    PluginPanelItem* item = &ItemsOf(list->array)[list->count];
    memset(item, 0, sizeof(*item));
    item->FileName = title;
    item->CustomColumnData = texts->Columns;
    item->CustomColumnNumber = 2;
    item->UserData.Data = UserDataFromWindow(entry.Handle);
    ++list->count;
}

} // namespace

void BuildPanelItems(PluginPanelItem** items, size_t* count) {
    // The spare is taken, so that a second listing before this one is given back (FAR lists
    // both panels) starts an array of its own.
    PanelItemList list = {g_spareItemArray, 0};
    g_spareItemArray = nullptr;
    ForEachListedWindow(AddPanelItem, &list);
    if (list.count == 0) {
        KeepAsSpare(list.array);
        *items = nullptr;
    } else {
        *items = ItemsOf(list.array);
    }
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
    KeepAsSpare(HeaderOf(items));
}

void ReleaseSpareItems() {
    free(g_spareItemArray);
    g_spareItemArray = nullptr;
}

} // namespace far3
