#include "allocation_faults.h"

#include <cstddef>

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
long g_balance = 0;

bool ShouldFail(FailurePlan& plan) {
    if (plan.always) {
        return true;
    }
    return plan.countdown > 0 && --plan.countdown == 0;
}

FailurePlan& PlanFor(allocfaults::Call call) {
    return call == allocfaults::Call::Malloc ? g_mallocPlan : g_reallocPlan;
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
}

long Balance() {
    return g_balance;
}

void ResetBalance() {
    g_balance = 0;
}

} // namespace allocfaults
