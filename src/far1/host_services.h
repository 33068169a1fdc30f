// The host's services, kept from SetStartupInfo for the life of the module.
#pragma once

#include "far1_plugin.h"

namespace far1 {

// The copy of the leading part of the host's service record (kKeptStartupInfoSize bytes). All
// null until SetStartupInfo.
extern PluginStartupInfo HostServices;

// Copies the leading part of the host's record, whatever its size field says.
void KeepHostServices(const PluginStartupInfo* info);

// The host's text for a message id, as the host returned it (owned by the host, never freed).
// Null when the host gave no text or no service.
const char* HostMessage(int msgId);

// Runs a host dialog; the index of the item that closed it, or -1 when the host has no
// dialog service.
int RunHostDialog(int x1, int y1, int x2, int y2, const char* helpTopic, FarDialogItem* items,
                  int itemsNumber);

// Sends a panel command to the host; the host's result (0 when it has no control service).
int SendPanelControl(HANDLE plugin, int command, void* param);

} // namespace far1
