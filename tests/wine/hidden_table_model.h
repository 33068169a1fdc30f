// What a plug-in's table of hidden windows must hold, for the stress runs of both plug-ins, kept
// by the rules Velumo promises: a hide takes the lowest slot whose window no longer exists (or
// that is empty) and fails when all twenty hold live windows; a show clears the lowest slot with
// that value.
#pragma once

#include <windows.h>

class TableModel {
  public:
    bool Add(HWND window) {
        for (HWND& slot : slots_) {
            if (!IsWindow(slot)) {
                slot = window;
                return true;
            }
        }
        return false;
    }
    void Remove(HWND window) {
        for (HWND& slot : slots_) {
            if (slot == window) {
                slot = nullptr;
                return;
            }
        }
    }
    bool Contains(HWND window) const {
        for (HWND slot : slots_) {
            if (slot == window) {
                return true;
            }
        }
        return false;
    }

  private:
    HWND slots_[20] = {};
};
