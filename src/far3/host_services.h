// FAR 3's services, kept from SetStartupInfoW for the life of the module. FAR hands the start-up
// record and its standard-function table over on its stack, so both are copied.
#pragma once

#include "far3_plugin.h"

namespace far3 {

// All null until SetStartupInfoW.
extern PluginStartupInfo HostServices;

// Copies the host's record (as far as both it and Velumo know the fields) and its standard
// function table, and points the copy at the copied table.
void KeepHostServices(const PluginStartupInfo* info);

// The host's text for a message id; "" when the host gave none. Owned by the host.
const WCHAR* HostMessage(int msgId);

// Tells the user, in a warning box with an OK button titled "Velumo window list", that `count`
// windows were left visible; the language file's text gets the count in place of its first '#'
// (or after it, without one). Nothing without the host's message service.
void TellWindowsLeftVisible(int count);

// A panel command to the host; 0 when it has no panel service.
intptr_t SendPanelControl(HANDLE panel, FILE_CONTROL_COMMANDS command, intptr_t param1,
                          void* param2);

// A settings command to the host; 0 when it has no settings service.
intptr_t SendSettingsControl(HANDLE settings, FAR_SETTINGS_CONTROL_COMMANDS command,
                             intptr_t param1, void* param2);

} // namespace far3
