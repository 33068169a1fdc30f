// What the FAR 3 plug-in tells FAR about itself and its open panel. FAR reads the records after
// the call returns, so everything handed over lives in static storage, refilled on every call
// from the current settings and freshly fetched texts.
#pragma once

#include "../core/panel_description.h"
#include "far3_plugin.h"

namespace far3 {

// The menus (each item with its GUID) and the command prefix. A record smaller than Velumo's
// is left alone.
void FillPluginInfo(PluginInfo* info);
// The panel's directory label, title, view modes, columns and key bar. A record smaller than
// Velumo's is left alone.
void FillOpenPanelInfo(OpenPanelInfo* info);

} // namespace far3
