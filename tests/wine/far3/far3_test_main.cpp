// The FAR 3 Wine suite's entry point: gives the process a desktop of its own before any window
// exists (SetThreadDesktop only succeeds while the thread has none), so that the plug-in sees
// only this process's windows and Wine's hidden helpers.
#include "far3_fixture.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Unbuffered: whatever the test printed is there even if the process is ended abruptly, and
    // a run that printed nothing never reached its tests (scripts/wine_run.sh relies on that).
    setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    far3test::g_desktopError =
        harness::UseOwnDesktop(harness::ProcessDesktopName("VelumoFar3WineTests"));
    return RUN_ALL_TESTS();
}
