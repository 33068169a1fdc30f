// What Velumo tells the host about itself and about its open panel. The host reads the records
// after the call returns, so everything handed over lives in static storage; every call fills
// the records again from the current settings and freshly fetched texts.
#pragma once

#include "../core/panel_description.h"
#include "far1_plugin.h"

namespace far1 {

// Fills the menus, the disks-menu entry and the command prefix.
void FillPluginInfo(PluginInfo* info);
// Fills the panel's label, title, modes, columns and key bar.
void FillOpenPluginInfo(OpenPluginInfo* info);

} // namespace far1
