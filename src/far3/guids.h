// Velumo's identities in FAR 3: the plug-in's own GUID (its settings and messages are keyed by
// it) and one GUID per menu item, dialog and message, by which FAR's hot-key assignment and macros
// name them. Fixed for good: a changed GUID loses the user's settings and hot keys.
#pragma once

#include "../win32.h"

namespace far3 {

// Called only when a GUID's text is malformed: not being constexpr, it stops the compilation.
inline void GuidTextIsMalformed() {}

constexpr unsigned HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    GuidTextIsMalformed();
    return 0;
}

// The GUID written in its canonical text "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", read at compile
// time, so the text below is the value and nothing else can disagree with it. The first three
// groups are numbers; the last two are Data4's eight bytes in order.
constexpr GUID GuidFromText(const char (&text)[37]) {
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
        GuidTextIsMalformed();
    }
    unsigned long long digits[32] = {};
    for (int from = 0, to = 0; from < 36; ++from) {
        if (from != 8 && from != 13 && from != 18 && from != 23) {
            digits[to++] = HexDigitValue(text[from]);
        }
    }
    GUID guid{};
    for (int i = 0; i < 8; ++i) {
        guid.Data1 = static_cast<decltype(guid.Data1)>(guid.Data1 << 4 | digits[i]);
    }
    for (int i = 0; i < 4; ++i) {
        guid.Data2 = static_cast<decltype(guid.Data2)>(guid.Data2 << 4 | digits[8 + i]);
        guid.Data3 = static_cast<decltype(guid.Data3)>(guid.Data3 << 4 | digits[12 + i]);
    }
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = static_cast<unsigned char>(digits[16 + 2 * i] << 4 | digits[17 + 2 * i]);
    }
    return guid;
}

constexpr GUID kPluginGuid = GuidFromText("1EE75230-9577-4DC6-A73E-F5E9185222E3");
// "Velumo window list" in the plug-ins menu.
constexpr GUID kPluginsMenuGuid = GuidFromText("301A9A3D-3F06-4884-87DB-4CBA16CD8C88");
// "Windows" in the disks menu.
constexpr GUID kDisksMenuGuid = GuidFromText("D1649792-3953-4777-B2E3-5102B596EE9D");
// "Velumo window list" in the configuration menu.
constexpr GUID kConfigMenuGuid = GuidFromText("91A05812-6A3E-4A93-89B8-3D7939F4F9B7");
// The configuration dialog.
constexpr GUID kConfigDialogGuid = GuidFromText("7496C542-BC83-4792-9035-24F912832711");
// The message that windows were left visible.
constexpr GUID kLeftVisibleMessageGuid = GuidFromText("54BD4D81-5981-4832-AA0A-52579A6E0FF9");

constexpr bool SameGuid(const GUID& a, const GUID& b) {
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

// The reading's byte order, pinned on a GUID whose every digit differs from its neighbours'.
static_assert(
    SameGuid(GuidFromText("01234567-89AB-CDEF-0123-456789abcdef"),
             {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}}),
    "GuidFromText reads the groups in the canonical order");

} // namespace far3
