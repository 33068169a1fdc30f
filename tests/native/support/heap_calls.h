// The heap calls of the code linked in statically (the product, the simulation, the tests),
// counted and failed on demand. Linking the velumo_heap_calls target wraps malloc, realloc and
// free (-Wl,--wrap), operator new(size_t), which the C++ containers of the simulation and the
// tests take their blocks from, and operator new(size_t, const std::nothrow_t&), which the
// plug-in's panel objects come from.
#pragma once

#include <cstdint>

namespace heapcalls {

enum class Call { Malloc, Realloc, NothrowNew };

// The nth call of that kind from now (1 = the very next one) returns null, once.
void FailNthCall(Call call, int nth);
// Every call of that kind from now on returns null.
void FailEveryCall(Call call);
// Lets every call succeed again.
void ClearFailures();

// What was asked of the heap since the last ResetCounts, failed calls included.
struct Counts {
    uint64_t mallocs = 0;
    uint64_t reallocs = 0;
    uint64_t reallocMoves = 0; // reallocs whose result is not the block passed in
    uint64_t copiedBytes = 0;  // what those moves had to copy: at most the old block's size
    uint64_t frees = 0;        // free calls with a non-null block
    uint64_t news = 0;         // operator new(size_t) calls
    // Blocks obtained from malloc or realloc(null, ...) minus blocks freed; 0 after a build and
    // release that freed all they took.
    long balance = 0;
};
const Counts& Counted();
void ResetCounts();

} // namespace heapcalls
