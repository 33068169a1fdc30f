// Loads Velumo.dll as FAR does: LoadLibrary, then GetProcAddress for each plain export name.
#include "far1_host.h"

namespace far1host {
namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function* function, std::string* error) {
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr) {
        *error = std::string("missing export ") + name;
        return false;
    }
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    return true;
}

} // namespace

bool LoadPlugin(const std::string& path, PluginExports* exports, std::string* error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        *error = "cannot load " + path;
        return false;
    }
    return Find(module, "SetStartupInfo", &exports->SetStartupInfo, error) &&
           Find(module, "GetPluginInfo", &exports->GetPluginInfo, error) &&
           Find(module, "OpenPlugin", &exports->OpenPlugin, error) &&
           Find(module, "ClosePlugin", &exports->ClosePlugin, error) &&
           Find(module, "GetFindData", &exports->GetFindData, error) &&
           Find(module, "FreeFindData", &exports->FreeFindData, error) &&
           Find(module, "GetOpenPluginInfo", &exports->GetOpenPluginInfo, error) &&
           Find(module, "SetDirectory", &exports->SetDirectory, error) &&
           Find(module, "DeleteFiles", &exports->DeleteFiles, error) &&
           Find(module, "ProcessKey", &exports->ProcessKey, error) &&
           Find(module, "Configure", &exports->Configure, error) &&
           Find(module, "ExitFAR", &exports->ExitFAR, error);
}

} // namespace far1host
