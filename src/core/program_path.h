// The program that owns a window's process, read with the rights a normal user has (Windows
// Vista and later; on older ones no process can be asked).
#pragma once

#include "../win32.h"

#include <cstddef>

// The longest path Windows gives for a process image, in UTF-16 code units with the terminator.
constexpr size_t kProgramPathCapacity = 32768;

// The full path of process `processId`'s image into `path`, which holds `capacity` code units,
// NUL-terminated; returns its length, or 0 when the process cannot be asked (another user's, a
// protected one, gone) or the path does not fit.
size_t ReadProgramPath(DWORD processId, WCHAR* path, size_t capacity);

// Where the file name starts in a path of `length` units: after its last '\' or '/'.
size_t FileNameOffset(const WCHAR* path, size_t length);
