// The Velumo demo: the real Velumo.dll in a FAR host stand-in, on sample windows of its own (see
// demo/run_demo.sh). velumo_demo.exe [--far1] [--interactive] [--dll PATH\Velumo.dll]; without
// --dll the plug-in of this build, found from the demo's own folder.
#include "demo_common.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // UTF-8 bytes go out as they are, lines end in LF
    SetConsoleOutputCP(CP_UTF8);          // and a Windows console shows them as UTF-8
    bool far1 = false;
    bool interactive = false;
    std::string dllPath;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--far1") == 0) {
            far1 = true;
        } else if (strcmp(argv[i], "--interactive") == 0) {
            interactive = true;
        } else if (strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
            dllPath = argv[++i];
        } else {
            fprintf(stderr,
                    "usage: velumo_demo [--far1] [--interactive] [--dll PATH\\Velumo.dll]\n");
            return 2;
        }
    }
    if (dllPath.empty()) {
        dllPath =
            harness::BesideProgram(far1 ? VELUMO_DLL_RELATIVE_PATH : VELUMO_FAR3_DLL_RELATIVE_PATH);
    }
    // A desktop of the demo's own, so that EnumWindows sees the sample windows and not those
    // of the machine (Wine puts a few hidden helper windows of its own on every desktop).
    const char* desktopName = "VelumoDemo";
    const std::string desktop = harness::UseOwnDesktop(desktopName).empty()
                                    ? std::string("the demo's own desktop \"") + desktopName + "\""
                                    : std::string("the current desktop (no desktop of its own)");
    return far1 ? demo::RunFar1Demo(dllPath, interactive, desktop)
                : demo::RunFar3Demo(dllPath, interactive, desktop);
}
