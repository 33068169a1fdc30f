// Which top-level windows Velumo offers, and what it shows of each besides the title: a
// four-character status and the handle in hex. Host-neutral: each front end reads the title
// in its own character type and makes its host's panel item from a WindowEntry.
#pragma once

#include "../win32.h"

#include <cstdint>

constexpr int kStatusTextSize = 5; // four marks and the terminator
constexpr int kHandleTextSize = 9; // eight hexadecimal digits and the terminator

// A title read for the desktop test and for the command-line match: the read's limit counts the
// terminator and is one less than the buffer, so at most kTitleReadCapacity - 2 characters.
constexpr int kTitleReadCapacity = 256;

// One listed window as the core describes it.
struct WindowEntry {
    HWND Handle;
    // The title's length as the listing read it for eligibility, in the listing's character type
    // (ANSI or UTF-16 code units); at least 0. The title may have changed since.
    int TitleLength;
    // [0] 'H' not visible, [1] 'O' has an owner, [2] blank, [3] 'D' hidden by Velumo.
    char StatusText[kStatusTextSize];
    char HandleText[kHandleTextSize]; // "%08X" of the handle
};

// 1 when the window is to be offered under the current settings, or is one Velumo hid.
int IsEligibleWindow(HWND window);

// Calls `visit` with the entry of each eligible top-level window, in enumeration order, with the
// status marks queried at that moment. Each fact of a window is asked of the window system once:
// the filter and the entry share them. The title length is read with the ANSI call, or with the
// UTF-16 one when `wide`, so that a listing reading the title in that character type need not
// ask for its length again. `visit` may act on windows; the enumeration goes on.
typedef void (*WindowEntryVisitor)(const WindowEntry& entry, void* context);
void ForEachListedWindow(WindowEntryVisitor visit, void* context, bool wide = false);

// The handle as eight upper-case hexadecimal digits. Window handles fit in 32 bits on every
// Windows, so eight digits of the low 32 bits name one.
void FormatHandleText(HWND window, char (&text)[kHandleTextSize]);

// The whole title in UTF-16, NUL-terminated, in a buffer from malloc that the caller frees;
// null when it cannot be allocated. A window without a title gives an empty text.
WCHAR* ReadWholeWindowTitle(HWND window);
