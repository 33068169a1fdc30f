// The FAR 3 front end linked into the host, for builds off Windows.
#include "far3_host.h"

extern "C" {
void WINAPI GetGlobalInfoW(far3::GlobalInfo* Info);
void WINAPI SetStartupInfoW(const far3::PluginStartupInfo* Info);
void WINAPI GetPluginInfoW(far3::PluginInfo* Info);
HANDLE WINAPI OpenW(const far3::OpenInfo* Info);
void WINAPI ClosePanelW(const far3::ClosePanelInfo* Info);
intptr_t WINAPI GetFindDataW(far3::GetFindDataInfo* Info);
void WINAPI FreeFindDataW(const far3::FreeFindDataInfo* Info);
void WINAPI GetOpenPanelInfoW(far3::OpenPanelInfo* Info);
intptr_t WINAPI SetDirectoryW(const far3::SetDirectoryInfo* Info);
intptr_t WINAPI DeleteFilesW(const far3::DeleteFilesInfo* Info);
intptr_t WINAPI ProcessPanelInputW(const far3::ProcessPanelInputInfo* Info);
intptr_t WINAPI ConfigureW(const far3::ConfigureInfo* Info);
void WINAPI ExitFARW(const far3::ExitInfo* Info);
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
