// Text as a terminal shows it: UTF-8 turned into screen cells that cannot carry escape
// sequences, with an honest count of the columns each cell takes.
//
// What a text becomes, code point by code point:
// - bytes that are not well-formed UTF-8 (a stray byte, a cut or overlong sequence, an encoded
//   surrogate, a value past U+10FFFF) are shown as U+FFFD, one per byte;
// - control characters are shown as '?': C0 (U+0000-U+001F), DEL, C1 (U+0080-U+009F), the line
//   and paragraph separators (U+2028, U+2029) and the bidirectional controls (U+061C,
//   U+200E-U+200F, U+202A-U+202E, U+2066-U+2069), so that no title can send an escape sequence,
//   break a line or turn the rest of a line around;
// - zero-width joiners and spaces (U+200B-U+200D, U+2060-U+2064, U+FEFF), variation selectors
//   (U+FE00-U+FE0F, U+E0100-U+E01EF) and tag characters (U+E0000-U+E007F) are left out: a
//   terminal may join or widen the characters around them, which would shift the columns;
// - combining marks are drawn over the character before them (over a blank when a text starts
//   with one), at most kMaxMarksPerCell a cell; further marks on the same cell are left out.
//
// Width: a cell takes two columns when its character is East Asian wide or fullwidth in this
// small table (Hangul Jamo leads, CJK radicals to Yi, Hangul syllables, CJK compatibility
// ideographs, the vertical and small form variants, the fullwidth forms, the emoji blocks
// U+1F300-U+1F64F, U+1F680-U+1F6FF, U+1F900-U+1F9FF and U+1FA70-U+1FAFF, and the ideographic
// planes 2 and 3), else one column. Combining marks take none; they are recognised in the
// general blocks (U+0300-U+036F, U+1AB0-U+1AFF, U+1DC0-U+1DFF, U+20D0-U+20FF, U+FE20-U+FE2F),
// the Hebrew and Arabic points, the Hangul Jamo vowels and tails and the kana voicing marks.
// The table is older than Unicode's latest: the few emoji among the symbols U+2300-U+2BFF count
// one column, and marks of other scripts (the Indic vowel signs, for instance) count one column
// each, so a line holding them may come out shorter or longer on a terminal that knows better.
#pragma once

#include <cwchar>
#include <string>
#include <vector>

namespace panelview {

constexpr int kMaxMarksPerCell = 8;

// One screen cell: a character and the combining marks drawn over it.
struct Glyph {
    std::string utf8; // the character, then its marks
    int width = 1;    // columns: 1 or 2
};

using ScreenText = std::vector<Glyph>;

ScreenText ToScreenText(const std::string& utf8);

// The columns a text takes.
int WidthOf(const ScreenText& text);

std::string ToUtf8(const ScreenText& text);

// UTF-16 text (null-terminated; a null pointer is the empty text) as UTF-8, for hosts that hand
// over UTF-16. A surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(const char16_t* text);
#if WCHAR_MAX == 0xFFFF
std::string Utf16ToUtf8(const wchar_t* text); // Windows' wchar_t holds UTF-16
#endif

} // namespace panelview
