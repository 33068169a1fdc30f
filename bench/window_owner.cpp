// Owns the windows that the Wine benchmark lists when they belong to another process, as a
// user's windows belong to other programs. On the desktop it was started on, it creates visible,
// unowned, titled top-level windows until it owns the first COUNT of them, signals READY and
// serves its message queue until NEXT is signalled; then it grows to the next COUNT, and so on.
// NEXT after the last COUNT ends it; its windows go with it.
//
//   velumo_window_owner.exe READY-EVENT-NAME NEXT-EVENT-NAME COUNT...   (counts ascending)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kClassName[] = "VelumoBenchWindow";

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Serves the message queue until `event` is signalled.
void ServeUntil(HANDLE event) {
    while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessages();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: velumo_window_owner READY-EVENT NEXT-EVENT COUNT...\n");
        return 2;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE next = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (ready == nullptr || next == nullptr) {
        fprintf(stderr, "velumo_window_owner: cannot open the events\n");
        return 1;
    }

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) {
        fprintf(stderr, "velumo_window_owner: cannot register the window class\n");
        return 1;
    }
    int owned = 0;
    for (int argument = 3; argument < argc; ++argument) {
        const int count = atoi(argv[argument]);
        if (count < owned) {
            fprintf(stderr, "velumo_window_owner: counts must ascend: %s\n", argv[argument]);
            return 2;
        }
        for (; owned < count; ++owned) {
            char title[64];
            snprintf(title, sizeof title, "Document %05d.txt - Editor", owned);
            HWND window = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          (owned % 40) * 8, (owned % 30) * 8, 160, 90, nullptr,
                                          nullptr, windowClass.hInstance, nullptr);
            if (window == nullptr) {
                fprintf(stderr, "velumo_window_owner: window %d not created (error %lu)\n", owned,
                        GetLastError());
                return 1;
            }
            if (owned % 64 == 0) {
                PumpMessages();
            }
        }
        PumpMessages();
        SetEvent(ready);
        ServeUntil(next);
    }
    return 0;
}
