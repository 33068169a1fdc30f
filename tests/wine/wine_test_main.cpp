// The Wine suite's entry point: gives the process a desktop of its own before any window
// exists, so that EnumWindows, and so the plug-in, sees only this process's windows and the
// helper windows Wine puts on every desktop. SetThreadDesktop only succeeds while the thread
// has no windows, hence here rather than in a fixture.
#include "wine_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    winetest::g_desktopError =
        harness::UseOwnDesktop(harness::ProcessDesktopName("VelumoWineTests"));
    return RUN_ALL_TESTS();
}
