#include "screen_text.h"

namespace panelview {
namespace {

constexpr char32_t kReplacement = U'\uFFFD';

struct Range {
    char32_t first;
    char32_t last;
};

const Range kShownAsQuestionMark[] = {
    {0x0000, 0x001F}, {0x007F, 0x009F}, {0x061C, 0x061C},
    {0x200E, 0x200F}, {0x2028, 0x202E}, {0x2066, 0x2069},
};

const Range kLeftOut[] = {
    {0x200B, 0x200D}, {0x2060, 0x2064},   {0xFE00, 0xFE0F},
    {0xFEFF, 0xFEFF}, {0xE0000, 0xE007F}, {0xE0100, 0xE01EF},
};

const Range kCombining[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x1160, 0x11FF},
    {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0x3099, 0x309A}, {0xFE20, 0xFE2F},
};

const Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x3098},   {0x309B, 0xA4CF},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <size_t N> bool InRanges(char32_t code, const Range (&ranges)[N]) {
    for (const Range& range : ranges) {
        if (code >= range.first && code <= range.last) {
            return true;
        }
    }
    return false;
}

void AppendUtf8(char32_t code, std::string* out) {
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
        return;
    }
    const int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3; // continuation bytes
    out->push_back(static_cast<char>((0xFF00 >> (extra + 1) | code >> (6 * extra)) & 0xFF));
    for (int k = extra - 1; k >= 0; --k) {
        out->push_back(static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F)));
    }
}

// The code point at `text[*at]`, moving `*at` past it; U+FFFD (and one byte on) for anything
// that is not the shortest well-formed UTF-8 of a scalar value.
char32_t DecodeNext(const std::string& text, size_t* at) {
    const unsigned char lead = static_cast<unsigned char>(text[*at]);
    ++*at;
    if (lead < 0x80) {
        return lead;
    }
    // The continuation bytes a lead byte announces; none for 0xC0, 0xC1 and 0xF5..0xFF.
    const int extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                      : lead >= 0xE0 && lead <= 0xEF ? 2
                      : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                     : 0;
    if (extra == 0 || text.size() - *at < static_cast<size_t>(extra)) {
        return kReplacement;
    }
    const char32_t lowest[] = {0, 0x80, 0x800, 0x10000}; // below these the form is overlong
    char32_t code = lead & (0x7F >> (extra + 1));
    for (int k = 0; k < extra; ++k) {
        unsigned char next = static_cast<unsigned char>(text[*at + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            return kReplacement;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < lowest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return kReplacement;
    }
    *at += static_cast<size_t>(extra);
    return code;
}

template <typename Unit> std::string FromUtf16(const Unit* text) {
    std::string utf8;
    if (text == nullptr) {
        return utf8;
    }
    for (size_t i = 0; text[i] != 0; ++i) {
        char32_t unit = static_cast<char16_t>(text[i]);
        char32_t next = static_cast<char16_t>(text[i + 1]); // the terminator at worst
        if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), &utf8);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(kReplacement, &utf8);
        } else {
            AppendUtf8(unit, &utf8);
        }
    }
    return utf8;
}

} // namespace

ScreenText ToScreenText(const std::string& utf8) {
    ScreenText text;
    int marks = 0; // combining marks on the last cell
    size_t at = 0;
    while (at < utf8.size()) {
        char32_t code = DecodeNext(utf8, &at);
        if (code >= 0x80 && InRanges(code, kLeftOut)) {
            continue;
        }
        if (code >= 0x300 && InRanges(code, kCombining)) {
            if (text.empty()) {
                text.push_back(Glyph{" ", 1});
                marks = 0;
            }
            if (marks < kMaxMarksPerCell) {
                AppendUtf8(code, &text.back().utf8);
                ++marks;
            }
            continue;
        }
        Glyph glyph;
        if (InRanges(code, kShownAsQuestionMark)) {
            glyph.utf8 = "?";
        } else {
            AppendUtf8(code, &glyph.utf8);
            glyph.width = code >= 0x1100 && InRanges(code, kWide) ? 2 : 1;
        }
        text.push_back(glyph);
        marks = 0;
    }
    return text;
}

int WidthOf(const ScreenText& text) {
    int width = 0;
    for (const Glyph& glyph : text) {
        width += glyph.width;
    }
    return width;
}

std::string ToUtf8(const ScreenText& text) {
    std::string utf8;
    for (const Glyph& glyph : text) {
        utf8 += glyph.utf8;
    }
    return utf8;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string text;
    for (size_t at = 0; at < utf8.size();) {
        const char32_t code = DecodeNext(utf8, &at);
        if (code >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    return text;
}

std::string Utf16ToUtf8(const char16_t* text) {
    return FromUtf16(text);
}

#if WCHAR_MAX == 0xFFFF
std::string Utf16ToUtf8(const wchar_t* text) {
    return FromUtf16(text);
}
#endif

} // namespace panelview
