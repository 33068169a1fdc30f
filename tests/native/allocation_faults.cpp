#include "allocation_faults.h"

#include <cstddef>
#include <new>

// operator new(std::size_t, const std::nothrow_t&) under its mangled name, which names the
// size type: 'm' is the 64-bit unsigned long of the native build.
static_assert(sizeof(size_t) == sizeof(unsigned long) && sizeof(size_t) == 8,
              "the wrapped name of the nothrow operator new is that of a 64-bit size_t");
extern "C" void* __real__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag);

extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_realloc(void* block, size_t size);
extern "C" void __real_free(void* block);

namespace {

struct FailurePlan {
    int countdown = 0; // fails the call that brings it from 1 to 0
    bool always = false;
};

FailurePlan g_mallocPlan;
FailurePlan g_reallocPlan;
FailurePlan g_nothrowNewPlan;
long g_balance = 0;

bool ShouldFail(FailurePlan& plan) {
    if (plan.always) {
        return true;
    }
    return plan.countdown > 0 && --plan.countdown == 0;
}

FailurePlan& PlanFor(allocfaults::Call call) {
    switch (call) {
    case allocfaults::Call::Malloc:
        return g_mallocPlan;
    case allocfaults::Call::Realloc:
        return g_reallocPlan;
    case allocfaults::Call::NothrowNew:
        break;
    }
    return g_nothrowNewPlan;
}

} // namespace

extern "C" void* __wrap_malloc(size_t size) {
    if (ShouldFail(g_mallocPlan)) {
        return nullptr;
    }
    void* block = __real_malloc(size);
    if (block != nullptr) {
        ++g_balance;
    }
    return block;
}

extern "C" void* __wrap_realloc(void* block, size_t size) {
    if (ShouldFail(g_reallocPlan)) {
        return nullptr; // like a real failure: the old block stays allocated and unchanged
    }
    void* moved = __real_realloc(block, size);
    if (block == nullptr && moved != nullptr) {
        ++g_balance;
    }
    return moved;
}

// Not counted in the balance: the blocks of operator new go back through operator delete.
extern "C" void* __wrap__ZnwmRKSt9nothrow_t(size_t size, const std::nothrow_t& tag) {
    if (ShouldFail(g_nothrowNewPlan)) {
        return nullptr;
    }
    return __real__ZnwmRKSt9nothrow_t(size, tag);
}

extern "C" void __wrap_free(void* block) {
    if (block != nullptr) {
        --g_balance;
    }
    __real_free(block);
}

namespace allocfaults {

void FailNthCall(Call call, int nth) {
    PlanFor(call) = FailurePlan{nth, false};
}

void FailEveryCall(Call call) {
    PlanFor(call) = FailurePlan{0, true};
}

void ClearFailures() {
    g_mallocPlan = FailurePlan{};
    g_reallocPlan = FailurePlan{};
    g_nothrowNewPlan = FailurePlan{};
}

long Balance() {
    return g_balance;
}

void ResetBalance() {
    g_balance = 0;
}

} // namespace allocfaults
