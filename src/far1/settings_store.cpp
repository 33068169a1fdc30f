#include "settings_store.h"

#include "../core/registry_settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace far1 {

namespace {

constexpr char kKeyName[] = "Velumo";

} // namespace

void LoadSettingsBelowRootKey(const char* rootKey) {
    if (rootKey == nullptr) {
        LoadSettingsFromKey(nullptr);
        return;
    }
    size_t capacity = strlen(rootKey) + 1 + sizeof(kKeyName);
    char* keyPath = static_cast<char*>(malloc(capacity));
    if (keyPath != nullptr) {
        snprintf(keyPath, capacity, "%s\\%s", rootKey, kKeyName);
    }
    LoadSettingsFromKey(keyPath);
    free(keyPath);
}

} // namespace far1
