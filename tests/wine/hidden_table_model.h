// What a plug-in's table of hidden windows must hold, for the stress runs of both plug-ins, kept
// by the rules Velumo promises: a hide takes the lowest slot whose window no longer exists (or
// that is empty); when all slots hold live windows the FAR 1.x table (twenty slots) fails it and
// the FAR 3 table doubles its slots and takes the first new one, giving them back (twenty empty
// slots again) once no slot holds a window; a show clears the lowest slot with that value.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

class TableModel {
  public:
    explicit TableModel(bool growing) : growing_(growing), slots_(kFirstSlots) {}

    bool Add(HWND window) {
        for (HWND& slot : slots_) {
            if (!IsWindow(slot)) {
                recorded_ += (slot == nullptr ? 1 : 0) - (window == nullptr ? 1 : 0);
                slot = window;
                return true;
            }
        }
        if (!growing_) {
            return false;
        }
        const size_t first = slots_.size();
        slots_.resize(first * 2);
        slots_[first] = window;
        recorded_ += window == nullptr ? 0 : 1;
        return true;
    }
    void Remove(HWND window) {
        if (window == nullptr) {
            return;
        }
        for (HWND& slot : slots_) {
            if (slot == window) {
                slot = nullptr;
                --recorded_;
                break;
            }
        }
        if (recorded_ == 0) {
            slots_.assign(kFirstSlots, nullptr);
        }
    }
    bool Contains(HWND window) const {
        return std::find(slots_.begin(), slots_.end(), window) != slots_.end();
    }

    size_t SlotCount() const { return slots_.size(); }

  private:
    static constexpr size_t kFirstSlots = 20;
    bool growing_;
    std::vector<HWND> slots_;
    int recorded_ = 0;
};
