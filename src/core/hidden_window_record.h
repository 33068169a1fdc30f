// The durable record of the windows Velumo hid, so that a window is never lost when the host
// ends without closing its panels (a crash, "End task", a kill): the next Velumo finds the
// entry, sees that the process that hid the window is gone and takes the window into its own
// table, listed "H  D".
//
// Where: a volatile registry key of Velumo's own,
//   HKEY_CURRENT_USER\Software\Velumo\HiddenWindows\Session<N>
// N being the Windows session of this process. A volatile key lives until the user logs off or
// the machine restarts, exactly as long as window handles mean anything; it never reaches the
// profile on disk, so it never roams. Both bitnesses and both front ends share it. One value a
// window, so writing or removing one entry is atomic and two Velumos side by side never
// overwrite each other's entries.
//
// Each value is named by the low 32 bits of the window's handle in eight upper-case hex digits
// and holds the little-endian layout below (kEntry*): the handle, the window's process (id and
// creation time), the process that hid it (id and creation time) and the window's class, so a
// handle reused by another window is never taken for the one Velumo hid.
#pragma once

#include "../win32.h"

#include <cstddef>
#include <cstdint>

// The entry's layout: offsets of its fixed fields, then the class name's UTF-16 units.
constexpr uint32_t kEntryTag = 0x57484C56u; // "VLHW" read as bytes
constexpr uint32_t kEntryVersion = 1;
constexpr size_t kEntryTagOffset = 0;            // uint32
constexpr size_t kEntryVersionOffset = 4;        // uint32
constexpr size_t kEntryWindowOffset = 8;         // uint32: the handle's low 32 bits
constexpr size_t kEntryWindowProcessOffset = 12; // uint32: the window's process id
constexpr size_t kEntryWindowStartOffset = 16;   // uint64: that process's creation FILETIME
constexpr size_t kEntryHiderStartOffset = 24;    // uint64: the hiding process's creation FILETIME
constexpr size_t kEntryHiderProcessOffset = 32;  // uint32: the hiding process's id
constexpr size_t kEntryClassLengthOffset = 36;   // uint32: class name units, 1 to kClassCapacity
constexpr size_t kEntryClassOffset = 40;         // the class name, no terminator
constexpr size_t kClassCapacity = 256;           // the longest class name Windows registers
constexpr size_t kEntryMaxSize = kEntryClassOffset + 2 * kClassCapacity;

// Entries looked at by one AdoptOrphanedWindows, so a huge record cannot hold the host up; the
// rest wait for the next call.
constexpr int kMaxEntriesPerPass = 4096;

// Writes this process's entry for a window about to be hidden; false when the record cannot be
// written (the window is then hidden all the same, known to this process only).
bool RecordHiddenWindow(HWND window);
// Removes the window's entry, whoever wrote it; called once the window is visible again.
void ForgetHiddenWindow(HWND window);
// Goes through the record entry by entry: a bad entry is deleted and never acted on; an entry
// whose window is gone, visible again or replaced under its handle is deleted; an entry whose
// hiding process still runs is left alone; any other window is taken into the hidden-window
// table with this process as its hider, or shown at once when the table cannot take it.
void AdoptOrphanedWindows();
