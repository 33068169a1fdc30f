#include "panel_items.h"

#include "../core/program_path.h"
#include "../core/window_catalogue.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace far3 {

namespace {

constexpr size_t kFirstItemCapacity = 64;
constexpr size_t kFirstTextBlockSize = 64 * 1024;
constexpr size_t kFirstProcessSlotCount = 64; // a power of two, as every later count
constexpr size_t kTextAlignment = alignof(void*);

// The texts of one item, followed in the same text block by its title.
struct ItemTexts {
    const WCHAR* Columns[kItemColumnCount];
    WCHAR Status[kStatusTextSize];
    WCHAR Handle[kHandleTextSize];
};

constexpr size_t kProcessIdTextSize = 11;  // up to ten decimal digits and the terminator
constexpr size_t kUnnamedProgramSize = 17; // "<pid ", ten digits, ">" and the terminator

// The texts of one process, shared by the items of its windows, followed by its path.
struct ProgramTexts {
    const WCHAR* Name; // the path's file name
    const WCHAR* Path;
    WCHAR ProcessId[kProcessIdTextSize];
};

// A block that a listing's texts are written into, one after the other; the texts follow the
// header. Blocks are chained, and a listing given back keeps its chain for the next one.
struct TextBlock {
    TextBlock* next;
    size_t capacity; // bytes after the header
    size_t used;
};
static_assert(sizeof(TextBlock) % kTextAlignment == 0, "texts follow aligned");

// An item array's block: its capacity and the chain of its listing's text blocks, then the
// items, which are what FAR is handed. The header tells FreePanelItems what to keep of an array
// FAR gives back; it is padded to the items' alignment, which malloc's blocks have.
struct ItemArrayHeader {
    alignas(PluginPanelItem) size_t capacity;
    TextBlock* texts;
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
    TextBlock* firstText;   // the chain, null until the first text
    TextBlock* currentText; // the block texts go into now; null before the first text
};

// The storage of the last listing FAR gave back, kept for the next listing: FAR lists a panel
// again at every refresh, and Wine's heap hands a freed block of more than 80 KiB (some 500
// windows) back to the system, so that every listing would fault its pages in anew. Null, or
// storage no listing uses. Process-wide, like the panels it serves.
ItemArrayHeader* g_spareItemArray;

void FreeStorage(ItemArrayHeader* array) {
    for (TextBlock* block = array->texts; block != nullptr;) {
        TextBlock* next = block->next;
        free(block);
        block = next;
    }
    free(array);
}

// Keeps `array` (with its texts) as the spare when it is larger than the one kept; frees the
// smaller of the two.
void KeepAsSpare(ItemArrayHeader* array) {
    if (array == nullptr) {
        return;
    }
    if (g_spareItemArray != nullptr && g_spareItemArray->capacity >= array->capacity) {
        FreeStorage(array);
        return;
    }
    if (g_spareItemArray != nullptr) {
        FreeStorage(g_spareItemArray);
    }
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
    const size_t grownCapacity = capacity == 0 ? kFirstItemCapacity : capacity * 2;
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

bool HasRoom(const TextBlock* block, size_t size) {
    return block != nullptr && block->capacity - block->used >= size;
}

// `size` bytes for texts, aligned for pointers: from the block in use, else from the next block
// of the chain, else from a new block (twice the last one, or as large as asked) put after the
// one in use. Null when the heap refuses.
void* TakeText(PanelItemList* list, size_t size) {
    if (size > SIZE_MAX - kTextAlignment) {
        return nullptr;
    }
    size = (size + kTextAlignment - 1) & ~(kTextAlignment - 1);
    TextBlock* block = list->currentText != nullptr ? list->currentText : list->firstText;
    if (!HasRoom(block, size) && block != nullptr && HasRoom(block->next, size)) {
        block = block->next;
    }
    if (!HasRoom(block, size)) {
        size_t capacity = kFirstTextBlockSize;
        if (block != nullptr) {
            capacity = block->capacity <= SIZE_MAX / 4 ? block->capacity * 2 : block->capacity;
        }
        capacity = capacity < size ? size : capacity;
        if (capacity > SIZE_MAX - sizeof(TextBlock)) {
            return nullptr;
        }
        TextBlock* added = static_cast<TextBlock*>(malloc(sizeof(TextBlock) + capacity));
        if (added == nullptr) {
            return nullptr;
        }
        added->capacity = capacity;
        added->used = 0;
        if (block == nullptr) {
            added->next = nullptr;
            list->firstText = added;
        } else {
            added->next = block->next;
            block->next = added;
        }
        block = added;
    }
    list->currentText = block;
    void* text = reinterpret_cast<unsigned char*>(block + 1) + block->used;
    block->used += size;
    return text;
}

// ---- The program of each process, read once per listing -------------------------------------

// A process seen in the current listing: a slot whose listing number is not the current one is
// free. The table is open-addressed, at most half full, and kept from one listing to the next.
struct ProcessSlot {
    DWORD processId;
    uint32_t listing;
    const ProgramTexts* texts;
};

ProcessSlot* g_processSlots;
size_t g_processSlotCount;
size_t g_processesListed; // in the current listing
uint32_t g_listingNumber;

// Where a listing reads a process's path before it copies it into its texts.
WCHAR g_programPath[kProgramPathCapacity];

size_t SlotIndex(DWORD processId, size_t slotCount) {
    return static_cast<size_t>(processId * 2654435761u) & (slotCount - 1);
}

ProcessSlot* FindSlot(ProcessSlot* slots, size_t slotCount, DWORD processId) {
    for (size_t i = SlotIndex(processId, slotCount);; i = (i + 1) & (slotCount - 1)) {
        if (slots[i].listing != g_listingNumber || slots[i].processId == processId) {
            return &slots[i];
        }
    }
}

// A new listing: every slot is free from now on.
void StartProcessListing() {
    g_processesListed = 0;
    if (++g_listingNumber == 0 && g_processSlots != nullptr) {
        memset(g_processSlots, 0, g_processSlotCount * sizeof(ProcessSlot));
    }
    if (g_listingNumber == 0) {
        g_listingNumber = 1;
    }
}

// Room for one process more with the table at most half full; false when the heap refuses,
// and the process is then not remembered.
bool MakeProcessRoom() {
    if ((g_processesListed + 1) * 2 <= g_processSlotCount) {
        return true;
    }
    const size_t grownCount =
        g_processSlotCount == 0 ? kFirstProcessSlotCount : g_processSlotCount * 2;
    if (grownCount > SIZE_MAX / sizeof(ProcessSlot)) {
        return false;
    }
    ProcessSlot* grown = static_cast<ProcessSlot*>(malloc(grownCount * sizeof(ProcessSlot)));
    if (grown == nullptr) {
        return false;
    }
    memset(grown, 0, grownCount * sizeof(ProcessSlot)); // listing 0 is none: every slot free
    for (size_t i = 0; i < g_processSlotCount; ++i) {
        if (g_processSlots[i].listing == g_listingNumber) {
            *FindSlot(grown, grownCount, g_processSlots[i].processId) = g_processSlots[i];
        }
    }
    free(g_processSlots);
    g_processSlots = grown;
    g_processSlotCount = grownCount;
    return true;
}

// `value` in decimal into `text`; returns the digits written.
size_t FormatDecimal(DWORD value, WCHAR* text) {
    WCHAR digits[kProcessIdTextSize];
    size_t count = 0;
    do {
        digits[count++] = static_cast<WCHAR>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (size_t i = 0; i < count; ++i) {
        text[i] = digits[count - 1 - i];
    }
    text[count] = 0;
    return count;
}

// "<pid N>": what a process that cannot be asked shows for its program.
size_t FormatUnnamedProgram(DWORD processId, WCHAR (&text)[kUnnamedProgramSize]) {
    static const char kOpening[] = "<pid ";
    size_t at = 0;
    for (; kOpening[at] != '\0'; ++at) {
        text[at] = static_cast<WCHAR>(kOpening[at]);
    }
    at += FormatDecimal(processId, text + at);
    text[at++] = '>';
    text[at] = 0;
    return at;
}

const ProgramTexts* MakeProgramTexts(PanelItemList* list, DWORD processId) {
    const WCHAR* path = g_programPath;
    size_t length = ReadProgramPath(processId, g_programPath, kProgramPathCapacity);
    WCHAR unnamed[kUnnamedProgramSize];
    if (length == 0) {
        length = FormatUnnamedProgram(processId, unnamed);
        path = unnamed;
    }
    ProgramTexts* texts =
        static_cast<ProgramTexts*>(TakeText(list, sizeof(ProgramTexts) + (length + 1) * 2));
    if (texts == nullptr) {
        return nullptr;
    }
    WCHAR* copy = reinterpret_cast<WCHAR*>(texts + 1);
    memcpy(copy, path, (length + 1) * sizeof(WCHAR));
    const size_t name = FileNameOffset(copy, length);
    texts->Path = copy;
    texts->Name = name < length ? copy + name : copy; // a path ending in '\' names no file
    FormatDecimal(processId, texts->ProcessId);
    return texts;
}

// The program texts of the process, read at its first window in the listing.
const ProgramTexts* ProgramOf(PanelItemList* list, DWORD processId) {
    ProcessSlot* slot = nullptr;
    if (g_processSlots != nullptr) {
        slot = FindSlot(g_processSlots, g_processSlotCount, processId);
        if (slot->listing == g_listingNumber) {
            return slot->texts;
        }
    }
    const ProgramTexts* texts = MakeProgramTexts(list, processId);
    if (texts != nullptr && MakeProcessRoom()) {
        slot = FindSlot(g_processSlots, g_processSlotCount, processId);
        *slot = {processId, g_listingNumber, texts};
        ++g_processesListed;
    }
    return texts;
}

// ---- Items -----------------------------------------------------------------------------------

template <size_t Size> void Widen(const char (&from)[Size], WCHAR (&to)[Size]) {
    for (size_t i = 0; i < Size; ++i) {
        to[i] = static_cast<WCHAR>(static_cast<unsigned char>(from[i]));
    }
}

void AddPanelItem(const WindowEntry& entry, void* context) {
    PanelItemList* list = static_cast<PanelItemList*>(context);
    if (!MakeRoom(list)) {
        return; // the list so far stays intact; this window is left out
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(entry.Handle, &processId);
    const ProgramTexts* program = ProgramOf(list, processId);
    // The title is read with room for the length the listing read; a title grown since is cut
    // there, one shortened since ends where the read says it copied.
    const int length = entry.TitleLength < INT_MAX ? entry.TitleLength : INT_MAX - 1;
    const size_t titleSize = (static_cast<size_t>(length) + 1) * sizeof(WCHAR);
    ItemTexts* texts = program == nullptr || titleSize > SIZE_MAX - sizeof(ItemTexts)
                           ? nullptr
                           : static_cast<ItemTexts*>(TakeText(list, sizeof(ItemTexts) + titleSize));
    if (texts == nullptr) {
        return;
    }
    WCHAR* title = reinterpret_cast<WCHAR*>(texts + 1);
    int copied = length > 0 ? GetWindowTextW(entry.Handle, title, length + 1) : 0;
    if (copied < 0 || copied > length) {
        copied = 0;
    }
    title[copied] = 0;
    Widen(entry.StatusText, texts->Status);
    Widen(entry.HandleText, texts->Handle);
    texts->Columns[kStatusColumn] = texts->Status;
    texts->Columns[kHandleColumn] = texts->Handle;
    texts->Columns[kProgramColumn] = program->Name;
    texts->Columns[kProcessIdColumn] = program->ProcessId;

    PluginPanelItem* item = &ItemsOf(list->array)[list->count];
    memset(item, 0, sizeof(*item));
    item->FileName = title;
    item->Description = program->Path;
    item->CustomColumnData = texts->Columns;
    item->CustomColumnNumber = kItemColumnCount;
    item->UserData.Data = UserDataFromWindow(entry.Handle);
    ++list->count;
}

} // namespace

void BuildPanelItems(PluginPanelItem** items, size_t* count) {
    // The spare is taken, so that a second listing before this one is given back (FAR lists
    // both panels) starts storage of its own.
    PanelItemList list = {g_spareItemArray, 0, nullptr, nullptr};
    g_spareItemArray = nullptr;
    if (list.array != nullptr) {
        list.firstText = list.array->texts;
        for (TextBlock* block = list.firstText; block != nullptr; block = block->next) {
            block->used = 0;
        }
    }
    StartProcessListing();
    ForEachListedWindow(AddPanelItem, &list, true);
    if (list.array != nullptr) {
        list.array->texts = list.firstText;
    }
    if (list.count == 0) {
        KeepAsSpare(list.array);
        *items = nullptr;
    } else {
        *items = ItemsOf(list.array);
    }
    *count = list.count;
}

void FreePanelItems(PluginPanelItem* items, size_t) {
    if (items != nullptr) {
        KeepAsSpare(HeaderOf(items)); // the texts live in the storage's blocks
    }
}

void ReleaseSpareItems() {
    if (g_spareItemArray != nullptr) {
        FreeStorage(g_spareItemArray);
        g_spareItemArray = nullptr;
    }
    free(g_processSlots);
    g_processSlots = nullptr;
    g_processSlotCount = 0;
}

} // namespace far3
