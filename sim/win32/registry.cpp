// The simulated registry: a tree of keys under HKEY_CURRENT_USER and the advapi32 calls on it.
#include "sim_desktop.h"
#include "sim_internal.h"
#include "windows_api.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {

struct Value {
    std::string name; // first spelling
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

struct Key {
    std::string name; // first spelling; empty for HKEY_CURRENT_USER itself
    Key* parent = nullptr;
    bool isVolatile = false;
    bool readOnly = false; // writes denied to it and to every key below it
    // Both maps are keyed by the ASCII-lowercased name: lookups ignore case. Values are ordered,
    // as their enumeration by index needs.
    std::unordered_map<std::string, std::unique_ptr<Key>> children;
    std::map<std::string, Value> values;
};

bool UnderReadOnly(const Key* key) {
    for (; key != nullptr; key = key->parent) {
        if (key->readOnly) {
            return true;
        }
    }
    return false;
}

struct OpenKey {
    Key* key;
    REGSAM access;
};

// Handle values: small, 4-aligned, far below the predefined hives (0x80000000 and up).
constexpr uintptr_t kFirstKeyHandle = 0x120;
constexpr uintptr_t kKeyHandleStep = 4;
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kCallKinds = 5;

struct Registry {
    std::unique_ptr<Key> root = std::make_unique<Key>();
    std::unordered_map<uintptr_t, OpenKey> open;
    uintptr_t nextHandle = kFirstKeyHandle; // survives ResetRegistry: handles are never reused
    std::array<LONG, kCallKinds> failures{};
    std::vector<simwin::RegistryWrite> writes;
};

Registry& State() {
    static Registry registry;
    return registry;
}

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Walks from `*key` down the subkey path, its components separated by '\\' (null or empty: the
// key itself), after checking every component. With `created` given, missing keys are made
// (volatile ones with `isVolatile`) and `*created` says whether any was.
LONG Walk(const char* path, Key** key, bool* created = nullptr, bool isVolatile = false) {
    std::vector<std::string> names;
    for (const char* start = path; start != nullptr && *path != '\0';) {
        const char* end = std::strchr(start, '\\');
        names.emplace_back(start, end == nullptr ? std::strlen(start) : end - start);
        if (names.back().empty() || names.back().size() > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        start = end == nullptr ? nullptr : end + 1;
    }
    for (const std::string& name : names) {
        const auto found = (*key)->children.find(Folded(name));
        if (found != (*key)->children.end()) {
            *key = found->second.get();
            continue;
        }
        if (created == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (UnderReadOnly(*key)) {
            return ERROR_ACCESS_DENIED;
        }
        if ((*key)->isVolatile && !isVolatile) {
            return ERROR_CHILD_MUST_BE_VOLATILE;
        }
        auto child = std::make_unique<Key>();
        child->name = name;
        child->parent = *key;
        child->isVolatile = isVolatile;
        *key = (*key)->children.emplace(Folded(name), std::move(child)).first->second.get();
        *created = true;
    }
    return ERROR_SUCCESS;
}

// Starts a call on `handle`: the failure set for the call, else the open key in `*resolved`.
// HKEY_CURRENT_USER is always open with every right; other predefined hives are not simulated.
LONG Start(simwin::RegistryCall call, HKEY handle, OpenKey* resolved) {
    Registry& registry = State();
    simwin::internal::CountTowardsKill();
    if (const LONG failure = registry.failures[static_cast<size_t>(call)]) {
        return failure;
    }
    if (handle == HKEY_CURRENT_USER) {
        *resolved = OpenKey{registry.root.get(), ~REGSAM{0}};
        return ERROR_SUCCESS;
    }
    const auto found = registry.open.find(reinterpret_cast<uintptr_t>(handle));
    if (found == registry.open.end()) {
        return ERROR_INVALID_HANDLE;
    }
    *resolved = found->second;
    return ERROR_SUCCESS;
}

// RegOpenKeyExA and RegCreateKeyExA: the subkey of `parent` opened with `access` in `*result`.
LONG OpenSubKey(simwin::RegistryCall call, HKEY parent, LPCSTR subKey, REGSAM access, PHKEY result,
                bool* created = nullptr, bool isVolatile = false) {
    OpenKey open{};
    if (const LONG status = Start(call, parent, &open)) {
        return status;
    }
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    Key* existing = open.key;
    if (created != nullptr && (open.access & KEY_CREATE_SUB_KEY) == 0 &&
        Walk(subKey, &existing) == ERROR_FILE_NOT_FOUND) {
        return ERROR_ACCESS_DENIED; // a key would be made below a handle without the right
    }
    if (const LONG status = Walk(subKey, &open.key, created, isVolatile)) {
        return status;
    }
    if ((access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0 && UnderReadOnly(open.key)) {
        return ERROR_ACCESS_DENIED;
    }
    Registry& registry = State();
    const uintptr_t handle = registry.nextHandle;
    registry.nextHandle += kKeyHandleStep;
    registry.open.emplace(handle, OpenKey{open.key, access});
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

std::string PathOf(const Key* key) {
    std::string path;
    for (; key != nullptr && key->parent != nullptr; key = key->parent) {
        path = path.empty() ? key->name : key->name + '\\' + path;
    }
    return path;
}

// Stores a value, keeping the first spelling of its name; returns the stored record.
const Value& Store(Key* key, const std::string& name, DWORD type, std::vector<uint8_t> data) {
    const auto slot = key->values.try_emplace(Folded(name));
    Value& value = slot.first->second;
    if (slot.second) {
        value.name = name;
    }
    value.type = type;
    value.data = std::move(data);
    return value;
}

const Value* FindValue(const Key* key, const char* name) {
    const auto found = key->values.find(Folded(name == nullptr ? "" : name));
    return found == key->values.end() ? nullptr : &found->second;
}

} // namespace

namespace simwin {

void FailRegistryCall(RegistryCall call, LONG error) {
    State().failures[static_cast<size_t>(call)] = error;
}

void ResetRegistry() {
    Registry& registry = State();
    registry.root = std::make_unique<Key>();
    registry.open.clear();
    registry.failures.fill(ERROR_SUCCESS);
    registry.writes.clear();
}

void SeedRegistryValue(const std::string& keyPath, const std::string& name, DWORD type,
                       const std::vector<uint8_t>& data) {
    Key* key = State().root.get();
    bool created = false;
    if (Walk(keyPath.c_str(), &key, &created) != ERROR_SUCCESS) {
        throw std::invalid_argument("bad registry key path: " + keyPath);
    }
    Store(key, name.substr(0, name.find('\0')), type, data);
}

bool RegistryKeyExists(const std::string& keyPath) {
    Key* key = State().root.get();
    return Walk(keyPath.c_str(), &key) == ERROR_SUCCESS;
}

bool RegistryKeyIsVolatile(const std::string& keyPath) {
    Key* key = State().root.get();
    return Walk(keyPath.c_str(), &key) == ERROR_SUCCESS && key->isVolatile;
}

std::vector<std::string> RegistryValueNames(const std::string& keyPath) {
    Key* key = State().root.get();
    std::vector<std::string> names;
    if (Walk(keyPath.c_str(), &key) == ERROR_SUCCESS) {
        for (const auto& value : key->values) {
            names.push_back(value.second.name);
        }
    }
    return names;
}

void SetRegistryKeyReadOnly(const std::string& keyPath) {
    Key* key = State().root.get();
    bool created = false;
    if (Walk(keyPath.c_str(), &key, &created) != ERROR_SUCCESS) {
        throw std::invalid_argument("bad registry key path: " + keyPath);
    }
    key->readOnly = true;
}

bool ReadRegistryValue(const std::string& keyPath, const std::string& name, DWORD* type,
                       std::vector<uint8_t>* data) {
    Key* key = State().root.get();
    const Value* value =
        Walk(keyPath.c_str(), &key) == ERROR_SUCCESS ? FindValue(key, name.c_str()) : nullptr;
    if (value == nullptr) {
        return false;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    if (data != nullptr) {
        *data = value->data;
    }
    return true;
}

const std::vector<RegistryWrite>& RegistryWrites() {
    return State().writes;
}

int OpenRegistryKeyCount() {
    return static_cast<int>(State().open.size());
}

} // namespace simwin

LSTATUS WINAPI RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD /*options*/, REGSAM access,
                             PHKEY result) {
    return OpenSubKey(simwin::RegistryCall::Open, parent, subKey, access, result);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY parent, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/,
                               DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES /*security*/,
                               PHKEY result, LPDWORD disposition) {
    bool created = false;
    const LONG status = OpenSubKey(simwin::RegistryCall::Create, parent, subKey, access, result,
                                   &created, (options & REG_OPTION_VOLATILE) != 0);
    if (status == ERROR_SUCCESS && disposition != nullptr) {
        *disposition = created ? 1 /* REG_CREATED_NEW_KEY */ : 2 /* REG_OPENED_EXISTING_KEY */;
    }
    return status;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
    OpenKey open{};
    if (const LONG status = Start(simwin::RegistryCall::Query, key, &open)) {
        return status;
    }
    if (reserved != nullptr || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const Value* value = FindValue(open.key, valueName);
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    const auto length = static_cast<DWORD>(value->data.size());
    if (size == nullptr) { // only the type (or the existence) was asked for
        return ERROR_SUCCESS;
    }
    if (data != nullptr && *size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && length > 0) {
        std::memcpy(data, value->data.data(), length);
    }
    *size = length;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type,
                              const BYTE* data, DWORD size) {
    OpenKey open{};
    if (const LONG status = Start(simwin::RegistryCall::Set, key, &open)) {
        return status;
    }
    if ((open.access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    if (data == nullptr && size != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<uint8_t> bytes(data, data + size);
    const Value& stored = Store(open.key, valueName == nullptr ? "" : valueName, type, bytes);
    State().writes.push_back(
        simwin::RegistryWrite{PathOf(open.key), stored.name, type, std::move(bytes)});
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    // A failing close leaves the key open on purpose: OpenRegistryKeyCount then shows the leak a
    // caller would have if it trusted the close without checking.
    // Closing HKEY_CURRENT_USER is allowed and does nothing.
    OpenKey open{};
    const LONG status = Start(simwin::RegistryCall::Close, key, &open);
    if (status == ERROR_SUCCESS) {
        State().open.erase(reinterpret_cast<uintptr_t>(key));
    }
    return status;
}

LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
    OpenKey open{};
    if (const LONG status = Start(simwin::RegistryCall::Set, key, &open)) {
        return status;
    }
    if ((open.access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    return open.key->values.erase(Folded(valueName == nullptr ? "" : valueName)) != 0
               ? ERROR_SUCCESS
               : ERROR_FILE_NOT_FOUND;
}

// The name's buffer size counts the terminator on the way in and not on the way out; a name
// that does not fit gives ERROR_MORE_DATA. Without a data buffer only the size is given.
LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                             LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    OpenKey open{};
    if (const LONG status = Start(simwin::RegistryCall::Query, key, &open)) {
        return status;
    }
    if (name == nullptr || nameLength == nullptr || reserved != nullptr ||
        (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (index >= open.key->values.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const Value& value = std::next(open.key->values.begin(), index)->second;
    if (value.name.size() + 1 > *nameLength) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameLength = static_cast<DWORD>(value.name.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (size == nullptr) {
        return ERROR_SUCCESS;
    }
    const auto length = static_cast<DWORD>(value.data.size());
    const bool fits = data == nullptr || *size >= length;
    if (data != nullptr && fits && length > 0) {
        std::memcpy(data, value.data.data(), length);
    }
    *size = length;
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}
