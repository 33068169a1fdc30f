#include "host_services.h"

#include "guids.h"

#include <cstring>

namespace far3 {

PluginStartupInfo HostServices;

namespace {

FarStandardFunctions StandardFunctions;

const WCHAR kNoText[] = {0};

// How many bytes of a record to take: what the host says it filled, at most what Velumo knows.
size_t KnownPart(size_t hostSize, size_t ownSize) {
    return hostSize < ownSize ? hostSize : ownSize;
}

} // namespace

void KeepHostServices(const PluginStartupInfo* info) {
    memset(&HostServices, 0, sizeof(HostServices));
    memcpy(&HostServices, info, KnownPart(info->StructSize, sizeof(HostServices)));
    memset(&StandardFunctions, 0, sizeof(StandardFunctions));
    const bool hasTable =
        info->StructSize > offsetof(PluginStartupInfo, FSF) && info->FSF != nullptr;
    if (hasTable) {
        // Newer builds append functions to the table: copy by its own size, never more.
        memcpy(&StandardFunctions, info->FSF,
               KnownPart(info->FSF->StructSize, sizeof(StandardFunctions)));
    }
    HostServices.FSF = hasTable ? &StandardFunctions : nullptr;
}

const WCHAR* HostMessage(int msgId) {
    if (HostServices.GetMsg == nullptr) {
        return kNoText;
    }
    const WCHAR* text = HostServices.GetMsg(&kPluginGuid, msgId);
    return text != nullptr ? text : kNoText;
}

intptr_t SendPanelControl(HANDLE panel, FILE_CONTROL_COMMANDS command, intptr_t param1,
                          void* param2) {
    if (HostServices.PanelControl == nullptr) {
        return 0;
    }
    return HostServices.PanelControl(panel, command, param1, param2);
}

intptr_t SendSettingsControl(HANDLE settings, FAR_SETTINGS_CONTROL_COMMANDS command,
                             intptr_t param1, void* param2) {
    if (HostServices.SettingsControl == nullptr) {
        return 0;
    }
    return HostServices.SettingsControl(settings, command, param1, param2);
}

} // namespace far3
