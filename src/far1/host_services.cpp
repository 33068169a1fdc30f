#include "host_services.h"

#include <cstring>

namespace far1 {

PluginStartupInfo HostServices;

void KeepHostServices(const PluginStartupInfo* info) {
    memcpy(&HostServices, info, sizeof(HostServices));
}

const char* HostMessage(int msgId) {
    if (HostServices.GetMsg == nullptr) {
        return nullptr;
    }
    return HostServices.GetMsg(HostServices.ModuleNumber, msgId);
}

int RunHostDialog(int x1, int y1, int x2, int y2, const char* helpTopic, FarDialogItem* items,
                  int itemsNumber) {
    if (HostServices.Dialog == nullptr) {
        return -1;
    }
    return HostServices.Dialog(HostServices.ModuleNumber, x1, y1, x2, y2, helpTopic, items,
                               itemsNumber);
}

int SendPanelControl(HANDLE plugin, int command, void* param) {
    if (HostServices.Control == nullptr) {
        return 0;
    }
    return HostServices.Control(plugin, command, param);
}

} // namespace far1
