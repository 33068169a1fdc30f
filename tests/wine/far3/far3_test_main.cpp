// The FAR 3 Wine suite's entry point: gives the process a desktop of its own before any window
// exists (SetThreadDesktop only succeeds while the thread has none), so that the plug-in sees
// only this process's windows and Wine's hidden helpers.
#include "far3_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    far3test::g_desktopError =
        harness::UseOwnDesktop(harness::ProcessDesktopName("VelumoFar3WineTests"));
    return RUN_ALL_TESTS();
}
