// Velumo's identities in FAR 3: the plug-in's own GUID (its settings and messages are keyed by
// it) and one GUID per menu item, dialog and message, by which FAR's hot-key assignment and macros
// name them. Fixed for good: a changed GUID loses the user's settings and hot keys.
#pragma once

#include "../win32.h"

namespace far3 {

// {1EE75230-9577-4DC6-A73E-F5E9185222E3}
constexpr GUID kPluginGuid = {
    0x1EE75230, 0x9577, 0x4DC6, {0xA7, 0x3E, 0xF5, 0xE9, 0x18, 0x52, 0x22, 0xE3}};
// {301A9A3D-3F06-4884-87DB-4CBA16CD8C88}: "Velumo window list" in the plug-ins menu.
constexpr GUID kPluginsMenuGuid = {
    0x301A9A3D, 0x3F06, 0x4884, {0x87, 0xDB, 0x4C, 0xBA, 0x16, 0xCD, 0x8C, 0x88}};
// {D1649792-3953-4777-B2E3-5102B596EE9D}: "Windows" in the disks menu.
constexpr GUID kDisksMenuGuid = {
    0xD1649792, 0x3953, 0x4777, {0xB2, 0xE3, 0x51, 0x02, 0xB5, 0x96, 0xEE, 0x9D}};
// {91A05812-6A3E-4A93-89B8-3D7939F4F9B7}: "Velumo window list" in the configuration menu.
constexpr GUID kConfigMenuGuid = {
    0x91A05812, 0x6A3E, 0x4A93, {0x89, 0xB8, 0x3D, 0x79, 0x39, 0xF4, 0xF9, 0xB7}};
// {7496C542-BC83-4792-9035-24F912832711}: the configuration dialog.
constexpr GUID kConfigDialogGuid = {
    0x7496C542, 0xBC83, 0x4792, {0x90, 0x35, 0x24, 0xF9, 0x12, 0x83, 0x27, 0x11}};
// {54BD4D81-5981-4832-AA0A-52579A6E0FF9}: the message that windows were left visible.
constexpr GUID kLeftVisibleMessageGuid = {
    0x54BD4D81, 0x5981, 0x4832, {0xAA, 0x0A, 0x52, 0x57, 0x9A, 0x6E, 0x0F, 0xF9}};

inline bool SameGuid(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) {
            return false;
        }
    }
    return true;
}

} // namespace far3
