// The FAR 1.x configuration dialog: the core's layout of the settings dialog, each row turned
// into a compact item template that is expanded into a host dialog record when the dialog runs.
#pragma once

#include "far1_plugin.h"

#include <cstdint>

namespace far1 {

constexpr uintptr_t kFirstTextAddress = 2000; // a template's Data below this is a message id

#pragma pack(push, 1)
struct DialogItemTemplate {
    uint8_t Type;
    uint8_t X1, Y1, X2, Y2;
    uint8_t Focus;
    int32_t Selected;
    uint32_t Flags;
    uint8_t DefaultButton;
    uintptr_t Data; // a message id (below 2000) or the address of a NUL-terminated text
};
#pragma pack(pop)

// No gaps: 19 bytes in the 32-bit build, 23 in the 64-bit one.
static_assert(sizeof(DialogItemTemplate) == 15 + sizeof(uintptr_t), "templates have no gaps");

// Fills `count` host records from the templates. A caption longer than the record's text field
// is cut to fit. A count of 0 or less fills nothing.
void ExpandDialogItems(const DialogItemTemplate* templates, FarDialogItem* items, int count);

// The number at the start of a text: leading white space, an optional sign, then decimal
// digits; 0 without digits. A number beyond 32 bits saturates at INT32_MIN or INT32_MAX.
int32_t ParseLeadingNumber(const char* text);

// Shows the dialog; on confirmation stores the new settings in memory and the registry and
// gives 1, otherwise changes nothing and gives 0.
int RunConfigDialog();

} // namespace far1
