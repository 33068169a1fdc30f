// The thirteen functions FAR 3 looks up by name. Each is thin: it checks the record FAR passed
// and routes the call to the panel object, the presentation or the settings.
#include "entry_points.h"

#include "../core/hidden_window_record.h"
#include "../core/hidden_window_table.h"
#include "config_dialog.h"
#include "guids.h"
#include "host_services.h"
#include "panel_presentation.h"
#include "settings_store.h"
#include "velumo_version.h"
#include "window_panel.h"

#include <new>

using namespace far3;

namespace {

// The first FAR 3 build whose panel close (FCTL_CLOSEPANEL) is synchronous.
constexpr VersionInfo kMinFarVersion = {3, 0, 0, 5242, VS_RELEASE};

// Whether FAR's record is at least as large as the fields Velumo reads or writes.
template <typename Record> bool Usable(const Record* info) {
    return info != nullptr && info->StructSize >= sizeof(Record);
}

// The panel behind a handle; null for the null handle (FAR's "no panel").
WindowPanel* PanelFromHandle(HANDLE panel) {
    if (panel == nullptr || panel == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return static_cast<WindowPanel*>(panel);
}

// The command text FAR passes after "hide:", or null when there is none.
const WCHAR* CommandText(const OpenInfo* info) {
    if (info->OpenFrom != OPEN_COMMANDLINE || info->Data == 0) {
        return nullptr;
    }
    const OpenCommandLineInfo* command = reinterpret_cast<const OpenCommandLineInfo*>(info->Data);
    if (command->StructSize < sizeof(OpenCommandLineInfo)) {
        return nullptr;
    }
    return command->CommandLine;
}

} // namespace

extern "C" {

void WINAPI GetGlobalInfoW(GlobalInfo* info) {
    if (!Usable(info)) {
        return;
    }
    info->MinFarVersion = kMinFarVersion;
    info->Version = {kVelumoVersionMajor, kVelumoVersionMinor, kVelumoVersionPatch, 0, VS_RELEASE};
    info->Guid = kPluginGuid;
    info->Title = FAR3_TEXT("Velumo");
    info->Description = FAR3_TEXT("The desktop's top-level windows as a panel: hide, show and "
                                  "bring them forward");
    info->Author = FAR3_TEXT("Velumo developers");
}

void WINAPI SetStartupInfoW(const PluginStartupInfo* info) {
    if (info == nullptr || info->StructSize < offsetof(PluginStartupInfo, Private)) {
        return;
    }
    KeepHostServices(info);
    LoadFarSettings();
    // FAR 3's table records every window hidden, taking slots from the heap as it needs them.
    g_hiddenWindows.SetGrowing(true);
    // Windows a Velumo hid before its FAR ended abruptly are listed from the first panel on.
    AdoptOrphanedWindows();
}

void WINAPI GetPluginInfoW(PluginInfo* info) {
    if (info != nullptr) {
        FillPluginInfo(info);
    }
}

HANDLE WINAPI OpenW(const OpenInfo* info) {
    if (!Usable(info)) {
        return nullptr;
    }
    // A panel that cannot be allocated is FAR 3's "no panel": nothing is toggled either.
    return new (std::nothrow) WindowPanel(CommandText(info));
}

void WINAPI ClosePanelW(const ClosePanelInfo* info) {
    if (Usable(info)) {
        delete PanelFromHandle(info->hPanel);
    }
}

intptr_t WINAPI GetFindDataW(GetFindDataInfo* info) {
    if (!Usable(info)) {
        return 0;
    }
    WindowPanel* panel = PanelFromHandle(info->hPanel);
    if (panel == nullptr) {
        return 0;
    }
    // 1 also for an empty list: 0 would make FAR close the panel.
    panel->GetFindData(&info->PanelItem, &info->ItemsNumber);
    return 1;
}

void WINAPI FreeFindDataW(const FreeFindDataInfo* info) {
    if (!Usable(info)) {
        return;
    }
    WindowPanel* panel = PanelFromHandle(info->hPanel);
    if (panel != nullptr) {
        panel->FreeFindData(info->PanelItem, info->ItemsNumber);
    }
}

void WINAPI GetOpenPanelInfoW(OpenPanelInfo* info) {
    if (!Usable(info)) {
        return;
    }
    WindowPanel* panel = PanelFromHandle(info->hPanel);
    if (panel != nullptr) {
        panel->GetOpenPanelInfo(info);
    }
}

intptr_t WINAPI SetDirectoryW(const SetDirectoryInfo* info) {
    if (!Usable(info) || info->Dir == nullptr) {
        return 0;
    }
    WindowPanel* panel = PanelFromHandle(info->hPanel);
    return panel != nullptr ? panel->SetDirectory(info->Dir, info->OpMode) : 0;
}

intptr_t WINAPI DeleteFilesW(const DeleteFilesInfo* info) {
    if (!Usable(info)) {
        return 0;
    }
    WindowPanel* panel = PanelFromHandle(info->hPanel);
    if (panel == nullptr) {
        return 0;
    }
    if (info->PanelItem == nullptr) {
        return 1; // nothing handed over, nothing to toggle
    }
    return panel->DeleteFiles(info->PanelItem, info->ItemsNumber);
}

intptr_t WINAPI ProcessPanelInputW(const ProcessPanelInputInfo* info) {
    if (!Usable(info)) {
        return 0;
    }
    WindowPanel* panel = PanelFromHandle(info->hPanel);
    return panel != nullptr ? panel->ProcessInput(info->Rec) : 0;
}

intptr_t WINAPI ConfigureW(const ConfigureInfo* info) {
    if (!Usable(info) || info->Guid == nullptr || !SameGuid(*info->Guid, kConfigMenuGuid)) {
        return 0;
    }
    return RunConfigDialog();
}

// FAR ends: the heap's slots of the hidden-window table are given back with the module.
void WINAPI ExitFARW(const ExitInfo*) {
    g_hiddenWindows.Reset();
}

#ifdef _WIN32
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
#endif

} // extern "C"
