// The Velumo demo: the real Velumo.dll, loaded by a FAR host stand-in, on a desktop of sample
// windows that the demo makes itself. Each step does what a FAR user does (opens the panel,
// types hide:<text> on the command line in the Velumo panel, presses F8 and F3, opens the
// configuration, leaves the panel), and prints the panel or the dialog as FAR draws it.
//
//   velumo_demo.exe [--far1] [--interactive] [--dll PATH\Velumo.dll]
//
// By default the native FAR 3 plug-in (far3\Velumo\Velumo.dll of this build, from the demo's
// own folder) in the FAR 3 stand-in, with windows titled in Japanese, Cyrillic and an emoji;
// --far1 runs the FAR 1.x plug-in (Velumo\Velumo.dll) in the FAR 1.x stand-in instead. The
// messages come from VelumoEng.lng beside the DLL, as FAR finds them. The exit code is 0 only
// when every window the plug-in hid is visible again after the last panel closed (and, in the
// scripted run, every step did what it shows).
#include "demo_common.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kDesktopName[] = "VelumoDemo";

} // namespace

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
    const std::string desktop = harness::UseOwnDesktop(kDesktopName).empty()
                                    ? std::string("the demo's own desktop \"") + kDesktopName + "\""
                                    : std::string("the current desktop (no desktop of its own)");
    return far1 ? demo::RunFar1Demo(dllPath, interactive, desktop)
                : demo::RunFar3Demo(dllPath, interactive, desktop);
}
