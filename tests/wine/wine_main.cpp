// A Wine suite's entry point: gives the process a desktop of its own before any window exists,
// so that EnumWindows, and so the plug-in, sees only this process's windows and the helper
// windows Wine puts on every desktop. SetThreadDesktop only succeeds while the thread has no
// windows, hence here rather than in a fixture.
#include "desktop_test.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Unbuffered: whatever the test printed is there even if the process is ended abruptly, and
    // a run that printed nothing never reached its tests (scripts/wine_run.sh relies on that).
    setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    winetest::g_desktopError = harness::UseOwnDesktop(harness::ProcessDesktopName(VELUMO_DESKTOP));
    return RUN_ALL_TESTS();
}
