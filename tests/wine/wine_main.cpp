// A Wine suite's entry point: gives the process a desktop of its own before any window exists,
// so that EnumWindows, and so the plug-in, sees only this process's windows and the helper
// windows Wine puts on every desktop. SetThreadDesktop only succeeds while the thread has no
// windows, hence here rather than in a fixture.
//
// "own-window EVENT" makes the program another program that owns a window instead (the FAR 3
// suite starts copies of it under other file names): on the desktop it was started on, it makes
// one visible window, signals the named event and serves the window until it is ended.
#include "desktop_test.h"

#include <cstdio>
#include <cstring>

namespace {

int OwnWindow(const char* readyEvent) {
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
    if (ready == nullptr) {
        printf("own-window: cannot open event %s, error %lu\n", readyEvent, GetLastError());
        return 1;
    }
    if (harness::MakeWindow("Velumo window of another program", winetest::kVisibleWindow) ==
        nullptr) {
        printf("own-window: CreateWindowEx failed, error %lu\n", GetLastError());
        return 1;
    }
    harness::PumpMessages();
    SetEvent(ready);
    CloseHandle(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Unbuffered: whatever the test printed is there even if the process is ended abruptly, and
    // a run that printed nothing never reached its tests (scripts/wine_run.sh relies on that).
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 3 && strcmp(argv[1], "own-window") == 0) {
        return OwnWindow(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    winetest::g_desktopError = harness::UseOwnDesktop(harness::ProcessDesktopName(VELUMO_DESKTOP));
    return RUN_ALL_TESTS();
}
