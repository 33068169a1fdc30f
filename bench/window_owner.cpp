// Owns the windows that the Wine benchmark lists when they belong to another process, as a
// user's windows belong to other programs. On the desktop it was started on, it makes the
// window harness's document windows (visible, unowned, titled, top-level) until it owns the
// first COUNT of them, signals READY and serves its message queue until NEXT is signalled; then
// it grows to the next COUNT, and so on. NEXT after the last COUNT ends it; its windows go with
// it.
//
//   velumo_window_owner.exe READY-EVENT-NAME NEXT-EVENT-NAME COUNT...   (a count below the
//   windows it owns adds none)
#include "window_harness.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Serves the message queue until `event` is signalled.
void ServeUntil(HANDLE event) {
    while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        harness::PumpMessages();
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
    int owned = 0;
    for (int argument = 3; argument < argc; ++argument) {
        if (!harness::GrowDocumentWindows(atoi(argv[argument]), &owned)) {
            fprintf(stderr, "velumo_window_owner: window %d not created (error %lu)\n", owned,
                    GetLastError());
            return 1;
        }
        SetEvent(ready);
        ServeUntil(next);
    }
    return 0;
}
