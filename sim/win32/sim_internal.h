// Shared between the simulation's own source files; not for the product or the tests.
#pragma once

#include "sim_desktop.h"

#include <string>

namespace simwin {
namespace internal {

// The counters that Calls() reports, writable by each file that simulates a counted call.
CallCounts& MutableCalls();
// Counts a visibility or registry call towards KillHostAtCall; throws HostKilled on the one.
void CountTowardsKill();

// A title's ANSI view (code_page.cpp): CP1252 bytes to UTF-16 code units and back, one for one,
// as windows_api.h describes.
std::u16string Utf16FromAnsi(const std::string& ansi);
std::string AnsiFromUtf16(const std::u16string& text);

} // namespace internal
} // namespace simwin
