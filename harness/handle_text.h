// What a panel shows for a window's handle, worked out independently of Velumo's own code so
// that the tests can check it: the low 32 bits as eight upper-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

template <typename Handle> std::string HandleText(Handle window) {
    char text[16];
    snprintf(text, sizeof(text), "%08X",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu));
    return text;
}
