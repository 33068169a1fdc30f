// Velumo's settings: one process-wide record and the table that describes each field once, for
// both stores and both configuration dialogs. Truth values are kept exactly as loaded or entered
// (any non-zero value is true); nothing reduces them to 0 and 1.
#pragma once

#include "front_ends.h"
#include "message_ids.h"

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

// How a setting is edited in the configuration dialog, which also says how its value reads:
// a check box edits a truth value (any non-zero value is true), a digit field a number.
enum class SettingKind { CheckBox, DigitField };

// One setting: its field, the name it is stored under, its default, its dialog label, how it is
// edited, which front ends have it, and whether a separator line precedes its dialog row.
struct SettingField {
    int32_t Settings::*Field;
    const char* Name;
    int32_t Default;
    MessageId Label;
    SettingKind Kind;
    unsigned FrontEnds;
    bool SeparatorBefore;
};

// In record order, which is also the order in which they are stored and shown. The disks-menu
// digit is FAR 1.x's: FAR 3 users assign hot keys in FAR itself. A row is written from the field's
// name alone, which is also the name it is stored under and, after kMsg, its label's id, so the
// three cannot disagree.
#define VELUMO_SETTING_ROW(field, kind, frontEnds, separatorBefore)                                \
    {                                                                                              \
        &Settings::field, #field, kDefaultSettings.field, kMsg##field, SettingKind::kind,          \
            frontEnds, separatorBefore                                                             \
    }
constexpr SettingField kSettingFields[] = {
    VELUMO_SETTING_ROW(AddToDisksMenu, CheckBox, kBothFars, false),
    VELUMO_SETTING_ROW(DisksMenuDigit, DigitField, kFar1, false),
    VELUMO_SETTING_ROW(ShowDesktopIcon, CheckBox, kBothFars, true),
    VELUMO_SETTING_ROW(ShowOwnerWindow, CheckBox, kBothFars, false),
    VELUMO_SETTING_ROW(ShowInvisibleWindow, CheckBox, kBothFars, false),
    VELUMO_SETTING_ROW(ShowAllWindowAtExit, CheckBox, kBothFars, false),
};
#undef VELUMO_SETTING_ROW

constexpr int kSettingCount = sizeof(kSettingFields) / sizeof(kSettingFields[0]);
static_assert(kSettingCount * sizeof(int32_t) == sizeof(Settings), "one table row a field");

// How many settings a front end (kFar1 or kFar3) has.
constexpr int SettingCountFor(unsigned frontEnd) {
    int count = 0;
    for (const SettingField& setting : kSettingFields) {
        count += (setting.FrontEnds & frontEnd) != 0 ? 1 : 0;
    }
    return count;
}

// Starts at the defaults; the front end's settings store loads over it when the host starts
// the plug-in.
extern Settings g_settings;
