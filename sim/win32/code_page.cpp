// CharToOemA and OemToCharA: between the ANSI code page (CP1252) and the OEM one (CP437), as on
// a Western Windows.
#include "windows_api.h"
#include "sim_internal.h"

#include <array>
#include <iconv.h>

namespace {

using ByteTable = std::array<char, 256>;

// Asks iconv for each high byte alone, so that the table is exactly what the system's converter
// says and nothing is typed in by hand. A byte iconv refuses (CP1252 leaves five unassigned, and
// CP437's line-drawing and Greek letters have no CP1252 form) or that would not come out as one
// byte becomes '?'. `to` and `from` name the code pages, each with a second spelling that some
// iconv builds use instead.
ByteTable BuildTable(const char* to, const char* toAlias, const char* from, const char* fromAlias) {
    ByteTable table;
    for (int byte = 0; byte < 128; ++byte) {
        table[byte] = static_cast<char>(byte);
    }
    for (int byte = 128; byte < 256; ++byte) {
        table[byte] = '?';
    }

    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        converter = iconv_open(toAlias, fromAlias);
    }
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return table; // no converter at all: every letter beyond ASCII is unknown
    }
    for (int byte = 128; byte < 256; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        char out[8] = {};
        char* inAt = in;
        char* outAt = out;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr); // forget any state of the last try
        if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1) ||
            inLeft != 0 ||
            iconv(converter, nullptr, nullptr, &outAt, &outLeft) == static_cast<size_t>(-1)) {
            continue;
        }
        if (sizeof out - outLeft == 1) {
            table[byte] = out[0];
        }
    }
    iconv_close(converter);
    return table;
}

const ByteTable& AnsiToOem() {
    static const ByteTable table = BuildTable("CP437", "IBM437", "CP1252", "CP1252");
    return table;
}

const ByteTable& OemToAnsi() {
    static const ByteTable table = BuildTable("CP1252", "CP1252", "CP437", "IBM437");
    return table;
}

// Byte for byte, each read before its write, so source == destination works.
BOOL Convert(const ByteTable& table, LPCSTR source, LPSTR destination) {
    if (source == nullptr || destination == nullptr) {
        return FALSE;
    }
    size_t at = 0;
    for (; source[at] != '\0'; ++at) {
        destination[at] = table[static_cast<unsigned char>(source[at])];
    }
    destination[at] = '\0';
    return TRUE;
}

} // namespace

BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination) {
    ++simwin::internal::MutableCalls().charToOem;
    return Convert(AnsiToOem(), source, destination);
}

BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination) {
    ++simwin::internal::MutableCalls().oemToChar;
    return Convert(OemToAnsi(), source, destination);
}
