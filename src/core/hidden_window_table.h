// The windows Velumo hid itself: twenty slots of handles, one process-wide instance that lives
// as long as the module. A slot is free when its handle names no existing window, so a
// destroyed window's slot can be reused without anybody clearing it.
#pragma once

#include "../win32.h"

class HiddenWindowTable {
  public:
    static constexpr int kSlotCount = 20;

    // Stores the handle in the first free slot (even when it is recorded already); 1 when
    // stored, 0 when all twenty slots hold existing windows.
    int Add(HWND window);
    // Clears the first slot holding exactly this value; the window system is not asked.
    void Remove(HWND window);
    // 1 when some slot holds exactly this value, alive or not.
    int Contains(HWND window) const;
    HWND SlotAt(int index) const { return slots_[index]; }

  private:
    HWND slots_[kSlotCount];
};

// Zero-initialised static storage: every slot starts at 0 and nothing runs at load or unload.
extern HiddenWindowTable g_hiddenWindows;
