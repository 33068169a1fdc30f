// Text as a terminal shows it: UTF-8 turned into screen cells that cannot carry escape
// sequences, with an honest count of the columns each cell takes.
//
// What a text becomes, code point by code point (the ranges are the tables in screen_text.cpp):
// - bytes that are not well-formed UTF-8 (a stray byte, a cut or overlong sequence, an encoded
//   surrogate, a value past U+10FFFF) are shown as U+FFFD, one per byte;
// - control characters (C0, DEL, C1, the line and paragraph separators and the bidirectional
//   controls) are shown as '?', so that no title can send an escape sequence, break a line or
//   turn the rest of a line around;
// - zero-width joiners and spaces, variation selectors and tag characters are left out: a
//   terminal may join or widen the characters around them, which would shift the columns;
// - combining marks are drawn over the character before them (over a blank when a text starts
//   with one), at most kMaxMarksPerCell a cell; further marks on the same cell are left out.
//
// Width: a cell takes two columns when its character is East Asian wide or fullwidth in a small
// table (Hangul, CJK, Yi, the fullwidth forms, the main emoji blocks, the ideographic planes 2
// and 3), else one; combining marks take none. The table is older than Unicode's latest: the few
// emoji among the symbols U+2300-U+2BFF and the marks of scripts it lacks (the Indic vowel
// signs, for instance) count one column each, so a line holding them may come out shorter or
// longer on a terminal that knows better.
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

// UTF-8 as UTF-16, each byte that is not well-formed UTF-8 as U+FFFD (as ToScreenText reads it).
std::u16string Utf8ToUtf16(const std::string& utf8);

// UTF-16 text (null-terminated; a null pointer is the empty text) as UTF-8, for hosts that hand
// over UTF-16. A surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(const char16_t* text);
#if WCHAR_MAX == 0xFFFF
std::string Utf16ToUtf8(const wchar_t* text); // Windows' wchar_t holds UTF-16
#endif

} // namespace panelview
