#include "hidden_window_record.h"

#include "hidden_window_table.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kRecordParentPath[] = "Software\\Velumo\\HiddenWindows";
constexpr int kKeyNameCapacity = 32;   // "Session" and a 32-bit number in decimal
constexpr int kValueNameCapacity = 16; // our names take 8; a longer one is nobody's entry

struct ProcessIdentity {
    DWORD id;
    uint64_t started; // creation time as a FILETIME; 0 when it could not be read
};

// What an entry says, decoded.
struct Entry {
    uint32_t window;
    ProcessIdentity windowProcess;
    ProcessIdentity hider;
    uint32_t classLength;
    WCHAR className[kClassCapacity];
};

void Store32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void Store64(uint8_t* at, uint64_t value) {
    Store32(at, static_cast<uint32_t>(value));
    Store32(at + 4, static_cast<uint32_t>(value >> 32));
}

uint32_t Load32(const uint8_t* at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(at[i]) << (8 * i);
    }
    return value;
}

uint64_t Load64(const uint8_t* at) {
    return Load32(at) | static_cast<uint64_t>(Load32(at + 4)) << 32;
}

size_t Encode(const Entry& entry, uint8_t (&data)[kEntryMaxSize]) {
    Store32(data + kEntryTagOffset, kEntryTag);
    Store32(data + kEntryVersionOffset, kEntryVersion);
    Store32(data + kEntryWindowOffset, entry.window);
    Store32(data + kEntryWindowProcessOffset, entry.windowProcess.id);
    Store64(data + kEntryWindowStartOffset, entry.windowProcess.started);
    Store64(data + kEntryHiderStartOffset, entry.hider.started);
    Store32(data + kEntryHiderProcessOffset, entry.hider.id);
    Store32(data + kEntryClassLengthOffset, entry.classLength);
    for (uint32_t i = 0; i < entry.classLength; ++i) {
        data[kEntryClassOffset + 2 * i] = static_cast<uint8_t>(entry.className[i]);
        data[kEntryClassOffset + 2 * i + 1] = static_cast<uint8_t>(entry.className[i] >> 8);
    }
    return kEntryClassOffset + 2 * entry.classLength;
}

// False for anything but an entry of this very layout, whole and nothing after it.
bool Decode(const uint8_t* data, size_t size, Entry* entry) {
    if (size < kEntryClassOffset || Load32(data + kEntryTagOffset) != kEntryTag ||
        Load32(data + kEntryVersionOffset) != kEntryVersion) {
        return false;
    }
    entry->classLength = Load32(data + kEntryClassLengthOffset);
    if (entry->classLength == 0 || entry->classLength > kClassCapacity ||
        size != kEntryClassOffset + 2 * entry->classLength) {
        return false;
    }
    entry->window = Load32(data + kEntryWindowOffset);
    entry->windowProcess = {Load32(data + kEntryWindowProcessOffset),
                            Load64(data + kEntryWindowStartOffset)};
    entry->hider = {Load32(data + kEntryHiderProcessOffset), Load64(data + kEntryHiderStartOffset)};
    for (uint32_t i = 0; i < entry->classLength; ++i) {
        const uint8_t* unit = data + kEntryClassOffset + 2 * i;
        entry->className[i] = static_cast<WCHAR>(unit[0] | unit[1] << 8);
    }
    return true;
}

// Window handles are 32-bit significant and shared by 32- and 64-bit processes: the low half
// names the window, widened back with its sign as LongToHandle does.
uint32_t HandleBits(HWND window) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

HWND WindowFromBits(uint32_t bits) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(bits)));
}

void FormatValueName(uint32_t bits, char (&name)[kValueNameCapacity]) {
    snprintf(name, sizeof(name), "%08X", static_cast<unsigned>(bits));
}

bool ReadStart(HANDLE process, uint64_t* started) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return false;
    }
    *started = created.dwLowDateTime | static_cast<uint64_t>(created.dwHighDateTime) << 32;
    return true;
}

HANDLE OpenForQuery(DWORD id) {
    // The limited right is enough and granted even for elevated processes; Windows before
    // Vista knows only the full one.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    return process != nullptr ? process : OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
}

bool IdentifySelf(ProcessIdentity* self) {
    self->id = GetCurrentProcessId();
    return ReadStart(GetCurrentProcess(), &self->started);
}

// The window's process and class as they are now; false for a window that is gone.
bool IdentifyWindow(HWND window, Entry* entry) {
    DWORD id = 0;
    if (GetWindowThreadProcessId(window, &id) == 0) {
        return false;
    }
    entry->window = HandleBits(window);
    entry->windowProcess = {id, 0};
    HANDLE process = OpenForQuery(id);
    if (process != nullptr) {
        ReadStart(process, &entry->windowProcess.started);
        CloseHandle(process);
    }
    WCHAR className[kClassCapacity + 1];
    const int length = GetClassNameW(window, className, kClassCapacity + 1);
    if (length <= 0 || length > static_cast<int>(kClassCapacity)) {
        return false;
    }
    entry->classLength = static_cast<uint32_t>(length);
    memcpy(entry->className, className, sizeof(WCHAR) * entry->classLength);
    return true;
}

// True only when the process is known to have ended: no process under the id, another one
// under it, or the process object of an ended one still held by somebody. A process this one
// may not ask about counts as running, so its windows are never taken from it.
bool HasEnded(const ProcessIdentity& hider) {
    HANDLE process = OpenForQuery(hider.id);
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    uint64_t started = 0;
    DWORD exitCode = 0;
    bool ended = false;
    if (ReadStart(process, &started)) {
        ended = started != hider.started ||
                (GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE);
    }
    CloseHandle(process);
    return ended;
}

// The window under the entry's handle is the one it names, and still hidden: its own visible
// style cleared. A window shown again that is invisible only because its parent is hidden was
// not hidden by Velumo and must not be taken.
bool StillHiddenAsRecorded(HWND window, const Entry& entry) {
    Entry now;
    return IsWindow(window) && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0 &&
           IdentifyWindow(window, &now) && now.windowProcess.id == entry.windowProcess.id &&
           now.windowProcess.started == entry.windowProcess.started &&
           now.classLength == entry.classLength &&
           memcmp(now.className, entry.className, sizeof(WCHAR) * now.classLength) == 0;
}

bool SessionKeyName(char (&name)[kKeyNameCapacity]) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
        return false;
    }
    snprintf(name, sizeof(name), "Session%lu", static_cast<unsigned long>(session));
    return true;
}

// The session's key, created when missing: volatile, below an ordinary parent (a volatile key
// may hold only volatile keys, so the parent is not made volatile).
HKEY CreateRecordKey() {
    char session[kKeyNameCapacity];
    HKEY parent = nullptr;
    if (!SessionKeyName(session) ||
        RegCreateKeyExA(HKEY_CURRENT_USER, kRecordParentPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_CREATE_SUB_KEY, nullptr, &parent, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent, session, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        key = nullptr;
    }
    RegCloseKey(parent);
    return key;
}

HKEY OpenRecordKey(REGSAM access) {
    char session[kKeyNameCapacity];
    char path[sizeof(kRecordParentPath) + kKeyNameCapacity];
    if (!SessionKeyName(session)) {
        return nullptr;
    }
    snprintf(path, sizeof(path), "%s\\%s", kRecordParentPath, session);
    HKEY key = nullptr;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &key) == ERROR_SUCCESS ? key : nullptr;
}

bool NameMatches(const char* name, uint32_t bits) {
    char expected[kValueNameCapacity];
    FormatValueName(bits, expected);
    return strcmp(name, expected) == 0;
}

bool WriteEntry(HKEY key, const Entry& entry) {
    uint8_t data[kEntryMaxSize];
    const size_t size = Encode(entry, data);
    char name[kValueNameCapacity];
    FormatValueName(entry.window, name);
    return RegSetValueExA(key, name, 0, REG_BINARY, data, static_cast<DWORD>(size)) ==
           ERROR_SUCCESS;
}

// What becomes of one well-formed entry; true when it is to be deleted.
bool SettleEntry(HKEY key, Entry& entry, const ProcessIdentity& self) {
    const bool hiddenHere = entry.hider.id == self.id && entry.hider.started == self.started;
    if (!hiddenHere && !HasEnded(entry.hider)) {
        return false; // its Velumo still runs and answers for it
    }
    const HWND window = WindowFromBits(entry.window);
    if (!StillHiddenAsRecorded(window, entry)) {
        return true;
    }
    if (g_hiddenWindows.Contains(window)) {
        return false;
    }
    if (!hiddenHere) {
        entry.hider = self; // written before the window is taken, as for any hide
        WriteEntry(key, entry);
    }
    if (g_hiddenWindows.Add(window)) {
        return false;
    }
    // No slot for it: it must not stay hidden where nobody lists it.
    ShowWindow(window, SW_SHOWNA);
    return IsWindowVisible(window) != 0;
}

} // namespace

bool RecordHiddenWindow(HWND window) {
    Entry entry;
    if (!IdentifyWindow(window, &entry) || !IdentifySelf(&entry.hider)) {
        return false;
    }
    HKEY key = CreateRecordKey();
    if (key == nullptr) {
        return false;
    }
    const bool written = WriteEntry(key, entry);
    RegCloseKey(key);
    return written;
}

void ForgetHiddenWindow(HWND window) {
    HKEY key = OpenRecordKey(KEY_SET_VALUE);
    if (key == nullptr) {
        return;
    }
    char name[kValueNameCapacity];
    FormatValueName(HandleBits(window), name);
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

void AdoptOrphanedWindows() {
    ProcessIdentity self;
    if (!IdentifySelf(&self)) {
        return;
    }
    HKEY key = OpenRecordKey(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (key == nullptr) {
        return;
    }
    DWORD index = 0;
    for (int seen = 0; seen < kMaxEntriesPerPass; ++seen) {
        char name[kValueNameCapacity];
        DWORD nameLength = sizeof(name);
        DWORD type = REG_NONE;
        DWORD size = 0;
        const LONG listed =
            RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size);
        if (listed == ERROR_MORE_DATA) {
            ++index; // a name too long to be an entry's: nothing to act on
            continue;
        }
        if (listed != ERROR_SUCCESS) {
            break; // ERROR_NO_MORE_ITEMS at the end, or a record that cannot be read
        }
        uint8_t data[kEntryMaxSize];
        DWORD dataSize = sizeof(data);
        Entry entry;
        const bool wellFormed =
            type == REG_BINARY &&
            RegQueryValueExA(key, name, nullptr, &type, data, &dataSize) == ERROR_SUCCESS &&
            type == REG_BINARY && Decode(data, dataSize, &entry) && NameMatches(name, entry.window);
        const bool remove = !wellFormed || SettleEntry(key, entry, self);
        // A deleted value moves the ones after it down by one.
        if (!remove || RegDeleteValueA(key, name) != ERROR_SUCCESS) {
            ++index;
        }
    }
    RegCloseKey(key);
}
