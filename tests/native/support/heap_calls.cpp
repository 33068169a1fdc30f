#include "heap_calls.h"

#include <algorithm>
#include <cstddef>
#include <malloc.h>
#include <new>

// The operator new names under --wrap are mangled, and the mangling names the size type: 'm' is
// the 64-bit unsigned long of the native build.
static_assert(sizeof(size_t) == sizeof(unsigned long) && sizeof(size_t) == 8,
              "the wrapped names of operator new are those of a 64-bit size_t");
extern "C" void* __real__Znwm(size_t size);
extern "C" void* __real__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag);

extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_realloc(void* block, size_t size);
extern "C" void __real_free(void* block);

namespace {

struct FailurePlan {
    int countdown = 0; // fails the call that brings it from 1 to 0
    bool always = false;
};

FailurePlan g_plans[static_cast<int>(heapcalls::Call::NothrowNew) + 1]; // one per kind of call
heapcalls::Counts g_counts;

bool ShouldFail(heapcalls::Call call) {
    FailurePlan& plan = g_plans[static_cast<int>(call)];
    return plan.always || (plan.countdown > 0 && --plan.countdown == 0);
}

} // namespace

extern "C" void* __wrap_malloc(size_t size) {
    ++g_counts.mallocs;
    if (ShouldFail(heapcalls::Call::Malloc)) {
        return nullptr;
    }
    void* block = __real_malloc(size);
    if (block != nullptr) {
        ++g_counts.balance;
    }
    return block;
}

extern "C" void* __wrap_realloc(void* block, size_t size) {
    ++g_counts.reallocs;
    if (ShouldFail(heapcalls::Call::Realloc)) {
        return nullptr; // like a real failure: the old block stays allocated and unchanged
    }
    const size_t oldSize = block != nullptr ? malloc_usable_size(block) : 0;
    void* moved = __real_realloc(block, size);
    if (block == nullptr && moved != nullptr) {
        ++g_counts.balance;
    }
    if (block != nullptr && moved != nullptr && moved != block) {
        ++g_counts.reallocMoves;
        g_counts.copiedBytes += std::min(oldSize, size);
    }
    return moved;
}

extern "C" void __wrap_free(void* block) {
    if (block != nullptr) {
        ++g_counts.frees;
        --g_counts.balance;
    }
    __real_free(block);
}

// Not in the balance: the blocks of operator new go back through operator delete.
extern "C" void* __wrap__Znwm(size_t size) {
    ++g_counts.news;
    return __real__Znwm(size);
}

extern "C" void* __wrap__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag) {
    if (ShouldFail(heapcalls::Call::NothrowNew)) {
        return nullptr;
    }
    return __real__ZnwmRKSt9nothrow_t(size, tag);
}

namespace heapcalls {

void FailNthCall(Call call, int nth) {
    g_plans[static_cast<int>(call)] = FailurePlan{nth, false};
}

void FailEveryCall(Call call) {
    g_plans[static_cast<int>(call)] = FailurePlan{0, true};
}

void ClearFailures() {
    for (FailurePlan& plan : g_plans) {
        plan = FailurePlan{};
    }
}

const Counts& Counted() {
    return g_counts;
}

void ResetCounts() {
    g_counts = Counts{};
}

} // namespace heapcalls
