#include "hidden_window_table.h"

#include <climits>
#include <cstdlib>
#include <cstring>

HiddenWindowTable g_hiddenWindows;

bool HiddenWindowTable::Grow() {
    const int count = SlotCount();
    if (count > INT_MAX / 2) {
        return false;
    }
    // Doubling keeps the copies few: each slot is moved a bounded number of times on average.
    const int grownCount = count * 2;
    HWND* grown =
        static_cast<HWND*>(realloc(grown_, sizeof(HWND) * static_cast<size_t>(grownCount)));
    if (grown == nullptr) {
        return false;
    }
    if (grown_ == nullptr) {
        memcpy(grown, fixed_, sizeof(fixed_));
    }
    memset(grown + count, 0, sizeof(HWND) * static_cast<size_t>(grownCount - count));
    grown_ = grown;
    grownCount_ = grownCount;
    return true;
}

int HiddenWindowTable::Add(HWND window) {
    for (int pass = 0; pass < 2; ++pass) {
        HWND* slots = Slots();
        const int count = SlotCount();
        for (int i = 0; i < count; ++i) {
            if (!IsWindow(slots[i])) {
                recorded_ += (slots[i] == nullptr ? 1 : 0) - (window == nullptr ? 1 : 0);
                slots[i] = window;
                return 1;
            }
        }
        if (!growing_ || !Grow()) {
            return 0;
        }
    }
    return 0;
}

void HiddenWindowTable::Remove(HWND window) {
    if (window == nullptr) {
        return; // clearing a slot that holds 0 changes nothing
    }
    HWND* slots = Slots();
    const int count = SlotCount();
    for (int i = 0; i < count; ++i) {
        if (slots[i] == window) {
            slots[i] = nullptr;
            --recorded_;
            break;
        }
    }
    if (recorded_ == 0 && grown_ != nullptr) {
        const bool growing = growing_;
        Reset();
        growing_ = growing;
    }
}

int HiddenWindowTable::Contains(HWND window) const {
    const HWND* slots = Slots();
    const int count = SlotCount();
    for (int i = 0; i < count; ++i) {
        if (slots[i] == window) {
            return 1;
        }
    }
    return 0;
}

void HiddenWindowTable::Reset() {
    free(grown_);
    memset(this, 0, sizeof(*this));
}
