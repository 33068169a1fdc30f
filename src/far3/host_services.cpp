#include "host_services.h"

#include "../core/message_ids.h"
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

void TellWindowsLeftVisible(int count) {
    if (HostServices.Message == nullptr) {
        return;
    }
    WCHAR digits[12]; // an int's digits, no sign: the count is never negative
    size_t digitCount = 0;
    unsigned value = count > 0 ? static_cast<unsigned>(count) : 0;
    do {
        digits[digitCount++] = static_cast<WCHAR>(FAR3_TEXT('0') + value % 10);
        value /= 10;
    } while (value != 0);

    // The text with the digits in place of the first '#', cut to the line's capacity.
    constexpr size_t kLineCapacity = 256;
    WCHAR line[kLineCapacity];
    size_t length = 0;
    bool counted = false;
    const WCHAR* text = HostMessage(kMsgWindowsLeftVisible);
    const auto put = [&](WCHAR unit) {
        if (length < kLineCapacity - 1) {
            line[length++] = unit;
        }
    };
    const auto putCount = [&] {
        for (size_t i = digitCount; i > 0; --i) {
            put(digits[i - 1]);
        }
        counted = true;
    };
    for (; *text != 0; ++text) {
        if (*text == FAR3_TEXT('#') && !counted) {
            putCount();
        } else {
            put(*text);
        }
    }
    if (!counted) {
        put(FAR3_TEXT(' '));
        putCount();
    }
    line[length] = 0;

    const WCHAR* const items[] = {HostMessage(kMsgPluginMenuEntry), line};
    HostServices.Message(&kPluginGuid, &kLeftVisibleMessageGuid, FMSG_WARNING | FMSG_MB_OK, nullptr,
                         items, 2, 0);
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
