// The plug-in linked into the host, for builds off Windows.
#include "far1_host.h"

#include "far1/entry_points.h"

namespace far1host {

PluginExports LinkedPlugin() {
    return PluginExports{SetStartupInfo, GetPluginInfo, OpenPlugin,        ClosePlugin,
                         GetFindData,    FreeFindData,  GetOpenPluginInfo, SetDirectory,
                         DeleteFiles,    ProcessKey,    Configure,         ExitFAR};
}

} // namespace far1host
