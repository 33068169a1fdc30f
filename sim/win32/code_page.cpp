// The code pages of a Western Windows: titles are UTF-16, the ANSI calls see them in CP1252, and
// CharToOemA and OemToCharA convert between CP1252 and the OEM code page (CP437).
#include "windows_api.h"
#include "sim_internal.h"

#include <array>
#include <iconv.h>
#include <stdexcept>

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

// CP1252 byte -> UTF-16 code unit, asked of iconv byte by byte. A byte iconv refuses (the five
// that CP1252 leaves unassigned: 0x81, 0x8D, 0x8F, 0x90, 0x9D) maps to the code unit of the same
// value, as Windows maps them, so that every byte value survives the way there and back.
using WideTable = std::array<char16_t, 256>;

WideTable BuildWideTable() {
    WideTable table;
    for (int byte = 0; byte < 256; ++byte) {
        table[byte] = static_cast<char16_t>(byte);
    }
    iconv_t converter = iconv_open("UTF-16LE", "CP1252");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return table;
    }
    for (int byte = 128; byte < 256; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        unsigned char out[8] = {};
        char* inAt = in;
        char* outAt = reinterpret_cast<char*>(out);
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1) ||
            inLeft != 0 || sizeof out - outLeft != 2) {
            continue;
        }
        table[byte] = static_cast<char16_t>(out[0] | out[1] << 8);
    }
    iconv_close(converter);
    return table;
}

const WideTable& AnsiToWide() {
    static const WideTable table = BuildWideTable();
    return table;
}

// UTF-16 code unit -> CP1252 byte: the inverse of AnsiToWide, '?' for every other unit.
const std::array<char, 65536>& WideToAnsi() {
    static const std::array<char, 65536> table = [] {
        std::array<char, 65536> inverse;
        inverse.fill('?');
        for (int byte = 0; byte < 256; ++byte) {
            inverse[AnsiToWide()[byte]] = static_cast<char>(byte);
        }
        return inverse;
    }();
    return table;
}

} // namespace

namespace simwin {

namespace internal {

std::u16string Utf16FromAnsi(const std::string& ansi) {
    std::u16string text(ansi.size(), u'\0');
    for (size_t at = 0; at < ansi.size(); ++at) {
        text[at] = AnsiToWide()[static_cast<unsigned char>(ansi[at])];
    }
    return text;
}

std::string AnsiFromUtf16(const std::u16string& text) {
    std::string ansi(text.size(), '\0');
    for (size_t at = 0; at < text.size(); ++at) {
        ansi[at] = WideToAnsi()[text[at]];
    }
    return ansi;
}

} // namespace internal

std::u16string Utf16FromUtf8(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert UTF-8 to UTF-16");
    }
    // At most two UTF-16 bytes for each UTF-8 byte (one unit for 1 to 3 bytes, two for 4).
    std::string in = utf8;
    std::string out(2 * in.size(), '\0');
    char* inAt = &in[0];
    char* outAt = &out[0];
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const bool converted =
        iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    if (!converted || inLeft != 0) {
        throw std::invalid_argument("not valid UTF-8: " + utf8);
    }
    const size_t bytes = out.size() - outLeft;
    std::u16string text(bytes / 2, u'\0');
    for (size_t unit = 0; unit < text.size(); ++unit) {
        text[unit] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * unit]) |
                                           static_cast<unsigned char>(out[2 * unit + 1]) << 8);
    }
    return text;
}

} // namespace simwin

BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination) {
    ++simwin::internal::MutableCalls().charToOem;
    return Convert(AnsiToOem(), source, destination);
}

BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination) {
    ++simwin::internal::MutableCalls().oemToChar;
    return Convert(OemToAnsi(), source, destination);
}
