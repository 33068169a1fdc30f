// The simulated registry: a tree of keys under HKEY_CURRENT_USER and the advapi32 calls on it.
#include "windows_api.h"
#include "sim_desktop.h"

#include <array>
#include <cstring>
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
    // Both maps are keyed by the ASCII-lowercased name: lookups ignore case.
    std::unordered_map<std::string, std::unique_ptr<Key>> children;
    std::unordered_map<std::string, Value> values;
};

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

LONG FailureOf(simwin::RegistryCall call) {
    return State().failures[static_cast<size_t>(call)];
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

// Splits a subkey path on '\'. Null or empty means the starting key itself.
LONG SplitPath(const char* path, std::vector<std::string>* components) {
    components->clear();
    if (path == nullptr || *path == '\0') {
        return ERROR_SUCCESS;
    }
    const char* start = path;
    for (;;) {
        const char* end = std::strchr(start, '\\');
        const size_t length =
            end == nullptr ? std::strlen(start) : static_cast<size_t>(end - start);
        if (length == 0 || length > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        components->emplace_back(start, length);
        if (end == nullptr) {
            return ERROR_SUCCESS;
        }
        start = end + 1;
    }
}

// HKEY_CURRENT_USER is always open with every right; other predefined hives are not simulated.
LONG Resolve(HKEY handle, OpenKey* resolved) {
    if (handle == HKEY_CURRENT_USER) {
        *resolved = OpenKey{State().root.get(), ~REGSAM{0}};
        return ERROR_SUCCESS;
    }
    const auto& open = State().open;
    const auto found = open.find(reinterpret_cast<uintptr_t>(handle));
    if (found == open.end()) {
        return ERROR_INVALID_HANDLE;
    }
    *resolved = found->second;
    return ERROR_SUCCESS;
}

Key* Child(Key* key, const std::string& name) {
    const auto found = key->children.find(Folded(name));
    return found == key->children.end() ? nullptr : found->second.get();
}

Key* AddChild(Key* key, const std::string& name) {
    auto child = std::make_unique<Key>();
    child->name = name;
    child->parent = key;
    Key* added = child.get();
    key->children.emplace(Folded(name), std::move(child));
    return added;
}

Key* Walk(Key* key, const std::vector<std::string>& components) {
    for (const std::string& component : components) {
        key = Child(key, component);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

// Returns whether any key had to be created.
bool WalkCreating(Key** key, const std::vector<std::string>& components) {
    bool created = false;
    for (const std::string& component : components) {
        Key* next = Child(*key, component);
        if (next == nullptr) {
            next = AddChild(*key, component);
            created = true;
        }
        *key = next;
    }
    return created;
}

std::string PathOf(const Key* key) {
    std::string path;
    for (; key != nullptr && key->parent != nullptr; key = key->parent) {
        path = path.empty() ? key->name : key->name + '\\' + path;
    }
    return path;
}

HKEY NewHandle(Key* key, REGSAM access) {
    Registry& registry = State();
    const uintptr_t value = registry.nextHandle;
    registry.nextHandle += kKeyHandleStep;
    registry.open.emplace(value, OpenKey{key, access});
    return reinterpret_cast<HKEY>(value);
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

Key* KeyAtPath(const std::string& keyPath) {
    std::vector<std::string> components;
    if (SplitPath(keyPath.c_str(), &components) != ERROR_SUCCESS) {
        return nullptr;
    }
    return Walk(State().root.get(), components);
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
    std::vector<std::string> components;
    if (SplitPath(keyPath.c_str(), &components) != ERROR_SUCCESS) {
        throw std::invalid_argument("bad registry key path: " + keyPath);
    }
    Key* key = State().root.get();
    WalkCreating(&key, components);
    Store(key, name.substr(0, name.find('\0')), type, data);
}

bool RegistryKeyExists(const std::string& keyPath) {
    return KeyAtPath(keyPath) != nullptr;
}

bool ReadRegistryValue(const std::string& keyPath, const std::string& name, DWORD* type,
                       std::vector<uint8_t>* data) {
    const Key* key = KeyAtPath(keyPath);
    const Value* value = key == nullptr ? nullptr : FindValue(key, name.c_str());
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
    if (const LONG failure = FailureOf(simwin::RegistryCall::Open)) {
        return failure;
    }
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenKey start{};
    if (const LONG status = Resolve(parent, &start)) {
        return status;
    }
    std::vector<std::string> components;
    if (const LONG status = SplitPath(subKey, &components)) {
        return status;
    }
    Key* key = Walk(start.key, components);
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = NewHandle(key, access);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY parent, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/,
                               DWORD /*options*/, REGSAM access, LPSECURITY_ATTRIBUTES /*security*/,
                               PHKEY result, LPDWORD disposition) {
    if (const LONG failure = FailureOf(simwin::RegistryCall::Create)) {
        return failure;
    }
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenKey start{};
    if (const LONG status = Resolve(parent, &start)) {
        return status;
    }
    std::vector<std::string> components;
    if (const LONG status = SplitPath(subKey, &components)) {
        return status;
    }
    Key* key = start.key;
    const bool created = WalkCreating(&key, components);
    *result = NewHandle(key, access);
    if (disposition != nullptr) {
        *disposition = created ? 1 /* REG_CREATED_NEW_KEY */ : 2 /* REG_OPENED_EXISTING_KEY */;
    }
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
    if (const LONG failure = FailureOf(simwin::RegistryCall::Query)) {
        return failure;
    }
    OpenKey open{};
    if (const LONG status = Resolve(key, &open)) {
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
    if (data != nullptr) {
        if (*size < length) {
            *size = length;
            return ERROR_MORE_DATA;
        }
        if (length > 0) {
            std::memcpy(data, value->data.data(), length);
        }
    }
    *size = length;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type,
                              const BYTE* data, DWORD size) {
    if (const LONG failure = FailureOf(simwin::RegistryCall::Set)) {
        return failure;
    }
    OpenKey open{};
    if (const LONG status = Resolve(key, &open)) {
        return status;
    }
    if ((open.access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    if (data == nullptr && size != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<uint8_t> bytes;
    if (size != 0) {
        bytes.assign(data, data + size);
    }
    const Value& stored = Store(open.key, valueName == nullptr ? "" : valueName, type, bytes);
    State().writes.push_back(
        simwin::RegistryWrite{PathOf(open.key), stored.name, type, std::move(bytes)});
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    // A failing close leaves the key open on purpose: OpenRegistryKeyCount then shows the leak a
    // caller would have if it trusted the close without checking.
    if (const LONG failure = FailureOf(simwin::RegistryCall::Close)) {
        return failure;
    }
    if (key == HKEY_CURRENT_USER) {
        return ERROR_SUCCESS; // closing a predefined hive is allowed and does nothing
    }
    return State().open.erase(reinterpret_cast<uintptr_t>(key)) == 1 ? ERROR_SUCCESS
                                                                     : ERROR_INVALID_HANDLE;
}
