// The windows Velumo hid itself, one process-wide instance that lives as long as the module. A
// slot is free when its handle names no existing window, so a destroyed window's slot can be
// reused without anybody clearing it.
//
// Two policies, chosen by the front end when the host starts it: a fixed table of twenty slots
// (the FAR 1.x plug-in: a twenty-first live window is not recorded), or a growing one (the FAR 3
// plug-in) that takes slots from the heap only when every slot it has holds an existing window.
// Its memory is so bounded by the windows it recorded that still exist, and given back when it
// holds no window any more.
#pragma once

#include "../win32.h"

class HiddenWindowTable {
  public:
    static constexpr int kSlotCount = 20; // the fixed table's size, and the growing one's first

    // Chooses the policy; the slots recorded so far stay.
    void SetGrowing(bool growing) { growing_ = growing; }
    // Stores the handle in the first free slot (even when it is recorded already); 1 when
    // stored, 0 when every slot holds an existing window and the table cannot grow (fixed, or
    // the heap refused).
    int Add(HWND window);
    // Clears the first slot holding exactly this value; the window system is not asked.
    void Remove(HWND window);
    // 1 when some slot holds exactly this value, alive or not.
    int Contains(HWND window) const;
    int SlotCount() const { return grown_ != nullptr ? grownCount_ : kSlotCount; }
    HWND SlotAt(int index) const { return Slots()[index]; }
    // Forgets every slot, gives the heap's slots back and returns to the fixed policy.
    void Reset();

  private:
    HWND* Slots() { return grown_ != nullptr ? grown_ : fixed_; }
    const HWND* Slots() const { return grown_ != nullptr ? grown_ : fixed_; }
    bool Grow();

    HWND fixed_[kSlotCount];
    HWND* grown_;    // null until the table first grows; then it holds every slot
    int grownCount_; // the slots grown_ holds
    int recorded_;   // the slots that are not null
    bool growing_;
};

// Zero-initialised static storage: every slot starts at 0, the policy fixed, and nothing runs at
// load or unload.
extern HiddenWindowTable g_hiddenWindows;
