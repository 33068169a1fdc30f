// The twelve functions the host looks up by name. Each is thin: it routes the call to the
// panel object, the catalogue, the presentation or the settings. No C++ exception can leave
// them: nothing below them throws (allocations are nothrow or malloc).
#include "entry_points.h"

#include "../core/hidden_window_record.h"
#include "../core/hidden_window_table.h"
#include "config_dialog.h"
#include "host_services.h"
#include "panel_presentation.h"
#include "settings_store.h"
#include "window_panel.h"

#include <new>

namespace far1 {
namespace {

// The panel behind a plug-in handle; null for the null and the invalid handle, which the host
// may pass back when OpenPlugin failed.
WindowPanel* PanelFromHandle(HANDLE plugin) {
    if (plugin == nullptr || plugin == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return static_cast<WindowPanel*>(plugin);
}

} // namespace
} // namespace far1

using namespace far1;

extern "C" {

void WINAPI SetStartupInfo(const PluginStartupInfo* info) {
    if (info == nullptr) {
        return;
    }
    KeepHostServices(info);
    LoadSettingsBelowRootKey(info->RootKey);
    g_hiddenWindows.SetGrowing(false); // FAR 1.x's table keeps its twenty slots
    // Windows a Velumo hid before its FAR ended abruptly are listed from the first panel on.
    AdoptOrphanedWindows();
}

void WINAPI GetPluginInfo(PluginInfo* info) {
    if (info != nullptr) {
        FillPluginInfo(info);
    }
}

HANDLE WINAPI OpenPlugin(int openFrom, intptr_t item) {
    WindowPanel* panel = new (std::nothrow) WindowPanel(openFrom, item);
    if (panel == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    return panel;
}

void WINAPI ClosePlugin(HANDLE plugin) {
    delete PanelFromHandle(plugin);
}

int WINAPI GetFindData(HANDLE plugin, PluginPanelItem** items, int* count, int) {
    WindowPanel* panel = PanelFromHandle(plugin);
    if (panel == nullptr || items == nullptr || count == nullptr) {
        return 0;
    }
    return panel->GetFindData(items, count);
}

void WINAPI FreeFindData(HANDLE plugin, PluginPanelItem* items, int count) {
    WindowPanel* panel = PanelFromHandle(plugin);
    if (panel != nullptr && items != nullptr) {
        panel->FreeFindData(items, count);
    }
}

void WINAPI GetOpenPluginInfo(HANDLE plugin, OpenPluginInfo* info) {
    WindowPanel* panel = PanelFromHandle(plugin);
    if (panel != nullptr && info != nullptr) {
        panel->GetOpenPluginInfo(info);
    }
}

int WINAPI SetDirectory(HANDLE plugin, const char* directory, int opMode) {
    WindowPanel* panel = PanelFromHandle(plugin);
    if (panel == nullptr || directory == nullptr) {
        return 0;
    }
    return panel->SetDirectory(directory, opMode);
}

int WINAPI DeleteFiles(HANDLE plugin, PluginPanelItem* items, int count, int) {
    WindowPanel* panel = PanelFromHandle(plugin);
    if (panel == nullptr) {
        return 0;
    }
    if (items == nullptr) {
        return 1; // nothing handed over, nothing to toggle
    }
    return panel->DeleteFiles(items, count);
}

int WINAPI ProcessKey(HANDLE plugin, int key, unsigned int controlState) {
    WindowPanel* panel = PanelFromHandle(plugin);
    if (panel == nullptr) {
        return 0;
    }
    return panel->ProcessKey(key, controlState);
}

int WINAPI Configure(int itemNumber) {
    if (itemNumber != 0) {
        return 0;
    }
    return RunConfigDialog();
}

void WINAPI ExitFAR(void) {}

#ifdef _WIN32
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
#endif

} // extern "C"
