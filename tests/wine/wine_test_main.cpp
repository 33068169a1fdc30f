// The Wine suite's entry point: gives the process a desktop of its own before any window
// exists, so that EnumWindows, and so the plug-in, sees only this process's windows and the
// helper windows Wine puts on every desktop. SetThreadDesktop only succeeds while the thread
// has no windows, hence here rather than in a fixture.
#include "wine_fixture.h"

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);

    char name[64];
    snprintf(name, sizeof(name), "VelumoWineTests-%lu",
             static_cast<unsigned long>(GetCurrentProcessId()));
    HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop == nullptr) {
        winetest::g_desktopError = std::string("CreateDesktopA(\"") + name + "\") failed, error " +
                                   std::to_string(GetLastError());
    } else if (!SetThreadDesktop(desktop)) {
        winetest::g_desktopError = std::string("SetThreadDesktop(\"") + name +
                                   "\") failed, error " + std::to_string(GetLastError());
    } else {
        winetest::g_desktopError.clear();
    }

    return RUN_ALL_TESTS();
}
