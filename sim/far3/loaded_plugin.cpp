// Loads the plug-in DLL as FAR 3 does: LoadLibraryW, then GetProcAddress for each plain name.
#include "far3_host.h"

namespace far3host {
namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function* function, std::string* error) {
    FARPROC address = GetProcAddress(module, name);
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    if (address == nullptr && error != nullptr) {
        *error = std::string("missing export ") + name;
    }
    return address != nullptr;
}

} // namespace

bool LoadPlugin(const Text& path, PluginExports* exports, std::string* error) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (module == nullptr) {
        *error = "cannot load the plug-in DLL (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    PluginExports found{};
    found.instance = module;
    bool complete = Find(module, "GetGlobalInfoW", &found.GetGlobalInfoW, error) &&
                    Find(module, "SetStartupInfoW", &found.SetStartupInfoW, error) &&
                    Find(module, "GetPluginInfoW", &found.GetPluginInfoW, error) &&
                    Find(module, "OpenW", &found.OpenW, error) &&
                    Find(module, "ClosePanelW", &found.ClosePanelW, error) &&
                    Find(module, "GetFindDataW", &found.GetFindDataW, error) &&
                    Find(module, "FreeFindDataW", &found.FreeFindDataW, error) &&
                    Find(module, "GetOpenPanelInfoW", &found.GetOpenPanelInfoW, error) &&
                    Find(module, "SetDirectoryW", &found.SetDirectoryW, error) &&
                    Find(module, "DeleteFilesW", &found.DeleteFilesW, error) &&
                    Find(module, "ProcessPanelInputW", &found.ProcessPanelInputW, error) &&
                    Find(module, "ConfigureW", &found.ConfigureW, error) &&
                    Find(module, "ExitFARW", &found.ExitFARW, error);
    if (!complete) {
        FreeLibrary(module);
        return false;
    }
    Find(module, "ProcessPanelEventW", &found.ProcessPanelEventW, nullptr); // optional
    *exports = found;
    return true;
}

} // namespace far3host
