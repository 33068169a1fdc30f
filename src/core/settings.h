// The six settings, one process-wide record. Truth values are kept exactly as loaded or
// entered (any non-zero value is true); nothing reduces them to 0 and 1.
#pragma once

#include <cstdint>

struct Settings {
    int32_t AddToDisksMenu;
    int32_t DisksMenuDigit;
    int32_t ShowDesktopIcon;
    int32_t ShowOwnerWindow;
    int32_t ShowInvisibleWindow;
    int32_t ShowAllWindowAtExit;
};

constexpr Settings kDefaultSettings = {1, 9, 1, 0, 0, 1};

// Starts at the defaults; the settings store loads over it when the host starts the plug-in.
extern Settings g_settings;
