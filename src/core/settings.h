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

// One setting as the stores know it: the name it is stored under, its field, its default.
struct SettingField {
    const char* Name;
    int32_t Settings::*Field;
    int32_t Default;
};

constexpr int kSettingCount = 6;

// The six in record order, which is also the order in which they are stored.
constexpr SettingField kSettingFields[kSettingCount] = {
    {"AddToDisksMenu", &Settings::AddToDisksMenu, kDefaultSettings.AddToDisksMenu},
    {"DisksMenuDigit", &Settings::DisksMenuDigit, kDefaultSettings.DisksMenuDigit},
    {"ShowDesktopIcon", &Settings::ShowDesktopIcon, kDefaultSettings.ShowDesktopIcon},
    {"ShowOwnerWindow", &Settings::ShowOwnerWindow, kDefaultSettings.ShowOwnerWindow},
    {"ShowInvisibleWindow", &Settings::ShowInvisibleWindow, kDefaultSettings.ShowInvisibleWindow},
    {"ShowAllWindowAtExit", &Settings::ShowAllWindowAtExit, kDefaultSettings.ShowAllWindowAtExit},
};

// Starts at the defaults; the front end's settings store loads over it when the host starts
// the plug-in.
extern Settings g_settings;
