// The code pages of a Western Windows: titles are UTF-16, the ANSI calls see them in CP1252, and
// CharToOemA and OemToCharA convert between CP1252 and the OEM code page (CP437). Every table is
// asked of iconv byte by byte, so that it is exactly what the system's converter says and nothing
// is typed in by hand.
#include "sim_internal.h"
#include "windows_api.h"

#include <array>
#include <iconv.h>
#include <optional>
#include <stdexcept>

namespace {

// `in` converted from code page `from` to `to`; nothing when iconv has no such converter or
// refuses any of it.
std::optional<std::string> Converted(const char* to, const char* from, std::string in) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(4 * in.size() + 8, '\0'); // room for any code page's longest form
    char* inAt = &in[0];
    char* outAt = &out[0];
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const bool converted =
        iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1) &&
        inLeft == 0 &&
        iconv(converter, nullptr, nullptr, &outAt, &outLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    if (!converted) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

// A byte 128..255 alone from `from` to `to`, when iconv gives exactly `width` bytes for it;
// nothing for an ASCII byte.
std::optional<std::string> HighByte(const char* to, const char* from, int byte, size_t width) {
    if (byte < 128) {
        return std::nullopt;
    }
    std::optional<std::string> out = Converted(to, from, std::string(1, static_cast<char>(byte)));
    return out && out->size() == width ? out : std::nullopt;
}

char16_t Utf16Unit(const std::string& utf16le, size_t unit) {
    return static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * unit]) |
                                 static_cast<unsigned char>(utf16le[2 * unit + 1]) << 8);
}

using ByteTable = std::array<char, 256>;

// ASCII stays; a high byte that the other page lacks (CP1252 leaves five unassigned, and CP437's
// line-drawing and Greek letters have no CP1252 form) becomes '?'.
ByteTable BuildTable(const char* to, const char* from) {
    ByteTable table;
    for (int byte = 0; byte < 256; ++byte) {
        const auto out = HighByte(to, from, byte, 1);
        table[byte] = out ? (*out)[0] : byte < 128 ? static_cast<char>(byte) : '?';
    }
    return table;
}

// CP1252 byte -> UTF-16 code unit. A byte iconv refuses (the five that CP1252 leaves unassigned:
// 0x81, 0x8D, 0x8F, 0x90, 0x9D) maps to the code unit of the same value, as Windows maps them,
// so that every byte value survives the way there and back.
const std::array<char16_t, 256>& AnsiToWide() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> wide;
        for (int byte = 0; byte < 256; ++byte) {
            const auto out = HighByte("UTF-16LE", "CP1252", byte, 2);
            wide[byte] = out ? Utf16Unit(*out, 0) : static_cast<char16_t>(byte);
        }
        return wide;
    }();
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
    const std::optional<std::string> utf16le = Converted("UTF-16LE", "UTF-8", utf8);
    if (!utf16le) {
        throw std::invalid_argument("not valid UTF-8: " + utf8);
    }
    std::u16string text(utf16le->size() / 2, u'\0');
    for (size_t unit = 0; unit < text.size(); ++unit) {
        text[unit] = Utf16Unit(*utf16le, unit);
    }
    return text;
}

} // namespace simwin

BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination) {
    ++simwin::internal::MutableCalls().charToOem;
    static const ByteTable ansiToOem = BuildTable("CP437", "CP1252");
    return Convert(ansiToOem, source, destination);
}

BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination) {
    ++simwin::internal::MutableCalls().oemToChar;
    static const ByteTable oemToAnsi = BuildTable("CP1252", "CP437");
    return Convert(oemToAnsi, source, destination);
}
