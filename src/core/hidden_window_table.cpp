#include "hidden_window_table.h"

HiddenWindowTable g_hiddenWindows;

int HiddenWindowTable::Add(HWND window) {
    for (HWND& slot : slots_) {
        if (!IsWindow(slot)) {
            slot = window;
            return 1;
        }
    }
    return 0;
}

void HiddenWindowTable::Remove(HWND window) {
    for (HWND& slot : slots_) {
        if (slot == window) {
            slot = nullptr;
            return;
        }
    }
}

int HiddenWindowTable::Contains(HWND window) const {
    for (HWND slot : slots_) {
        if (slot == window) {
            return 1;
        }
    }
    return 0;
}
