// What the native tests, the fuzzer and the native bench share: one reset of every piece of
// process-wide state, the plug-in started in the host stand-in as FAR starts it, and the small
// helpers they all need. The gtest fixtures built on these are in far1_fixture.h.
#pragma once

#include "core/message_ids.h"
#include "core/settings.h"
#include "core/settings_dialog.h"
#include "far1_host.h"
#include "handle_text.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The plug-in root key FAR gives Velumo, and Velumo's settings key below it.
inline constexpr char kFarPluginsRoot[] = "Software\\Far\\Plugins";
inline constexpr char kVelumoKeyPath[] = "Software\\Far\\Plugins\\Velumo";

// Puts the process back as a freshly loaded module finds it: empty simulated desktop and
// registry, default settings, empty hidden-window table, no panel, no FAR 3 host services.
void ResetProcessState();

// The messages of VelumoEng.lng (written from lang/ into VELUMO_LANG_DIR) as the host stand-in
// serves them, read once; empty when the file cannot be read.
const std::vector<std::string>& EnglishMessages();

// Starts the linked-in plug-in in the host stand-in with the English messages and FAR's plug-in
// root key, then clears the host's records.
void StartFar1();

// The record FAR hands back for a window's item: zeroed, the window in UserData.
far1::PluginPanelItem PanelItemFor(HWND window);

// The settings in record order, for comparing whole records at once.
std::vector<int32_t> SettingsFields(const Settings& s);

// One field of the settings record and a value for it.
typedef std::pair<int32_t Settings::*, int32_t> SettingValue;
// The fields of `base` in record order with the given ones changed: a whole record named by
// what differs from the defaults, whatever settings the table holds.
std::vector<int32_t> FieldsWith(std::initializer_list<SettingValue> changes,
                                const Settings& base = kDefaultSettings);
// A record with every field set to `value`.
Settings AllFields(int32_t value);

// The lines of a text, each without its LF and the CR of a CRLF pair.
std::vector<std::string> Lines(const std::string& text);

// The index of a field's row in the settings table.
int SettingIndex(int32_t Settings::*field);

// `bytes` bytes of `value` at `at`, little-endian.
void PutLittleEndian(std::vector<uint8_t>& data, size_t at, uint64_t value, size_t bytes);
// A simulated process's creation time as GetProcessTimes gives it; 0 when it cannot be asked.
uint64_t ProcessStartTime(DWORD process);
// An entry of the durable record of hidden windows as a Velumo writes it.
struct RecordEntry {
    HWND window;
    DWORD owner;
    uint64_t ownerStart;
    DWORD hider;
    uint64_t hiderStart;
    std::u16string className;
};
std::vector<uint8_t> RecordEntryBytes(const RecordEntry& entry);
