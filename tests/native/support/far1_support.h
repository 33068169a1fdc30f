// What the native tests, the fuzzer and the native bench share: one reset of every piece of
// process-wide state, the plug-in started in the host stand-in as FAR starts it, and the small
// helpers they all need. The gtest fixtures built on these are in far1_fixture.h.
#pragma once

#include "far1_host.h"
#include "handle_text.h"
#include "core/settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The plug-in root key FAR gives Velumo, and Velumo's settings key below it.
inline constexpr char kFarPluginsRoot[] = "Software\\Far\\Plugins";
inline constexpr char kVelumoKeyPath[] = "Software\\Far\\Plugins\\Velumo";

// The names of the six settings' registry values, in record order.
inline constexpr const char* kSettingNames[6] = {"AddToDisksMenu",      "DisksMenuDigit",
                                                 "ShowDesktopIcon",     "ShowOwnerWindow",
                                                 "ShowInvisibleWindow", "ShowAllWindowAtExit"};

// Messages 0 to 16: what VelumoEng.lng holds and the plug-in asks for.
constexpr size_t kEnglishMessageCount = 17;

// Puts the process back as a freshly loaded module finds it: an empty simulated desktop and
// registry, no enumeration hook, no call log, zeroed call counts, the default settings, an
// empty hidden-window table, no open panel and no FAR 3 host services (the FAR 3 stand-in's
// panels closed, its store and dialog failures off).
void ResetProcessState();

// The messages of VelumoEng.lng (written from lang/ into VELUMO_LANG_DIR) as the host stand-in
// serves them, read once; empty when the file cannot be read.
const std::vector<std::string>& EnglishMessages();

// Starts the linked-in plug-in in the host stand-in with the English messages and FAR's plug-in
// root key, then clears the host's records.
void StartFar1();

// The record FAR hands back for a window's item: zeroed, the window in UserData.
far1::PluginPanelItem PanelItemFor(HWND window);

// The six settings in record order, for comparing whole records at once.
std::vector<int32_t> SettingsFields(const Settings& s);
