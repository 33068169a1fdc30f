// The FAR 3 front end linked into the host, for builds off Windows.
#include "far3_host.h"

#include "far3/entry_points.h"

extern "C" {
// Optional, as for FAR: a weak reference is null when the front end does not define it. (A weak
// reference pulls no archive member in: the definition must sit in an object file the other
// exports already bring into the link.)
__attribute__((weak)) intptr_t WINAPI ProcessPanelEventW(const far3::ProcessPanelEventInfo* Info);
}

namespace far3host {

PluginExports LinkedPlugin() {
    return PluginExports{
        GetGlobalInfoW,     SetStartupInfoW,    GetPluginInfoW,    OpenW,         ClosePanelW,
        GetFindDataW,       FreeFindDataW,      GetOpenPanelInfoW, SetDirectoryW, DeleteFilesW,
        ProcessPanelInputW, ProcessPanelEventW, ConfigureW,        ExitFARW,      nullptr};
}

} // namespace far3host
