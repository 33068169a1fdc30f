// Shared between the simulation's own source files; not for the product or the tests.
#pragma once

#include "sim_desktop.h"

namespace simwin {
namespace internal {

// The counters that Calls() reports, writable by each file that simulates a counted call.
CallCounts& MutableCalls();

} // namespace internal
} // namespace simwin
