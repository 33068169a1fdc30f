#include "far3_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace far3host {

HostState g_host;
const std::wstring kNullText = L"(null pointer)";

namespace {

struct LoadedPlugin {
    bool attempted = false;
    std::string error;
    std::wstring path;
    HMODULE module = nullptr;
    Exports exports{};
};
LoadedPlugin g_plugin;

template <typename Entry> bool Find(HMODULE module, const char* name, Entry* entry) {
    *entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *entry != nullptr;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

bool SameGuid(const void* guid, const GuidBytes& expected) {
    return guid != nullptr && memcmp(guid, expected.bytes, sizeof expected.bytes) == 0;
}

void CheckPluginGuid(const char* service, const void* guid) {
    if (!SameGuid(guid, kPluginGuid)) {
        Fault(std::string(service) + " got plug-in GUID " + GuidText(guid) + ", expected " +
              GuidText(kPluginGuid));
    }
}

bool IsOpen(HANDLE panel) {
    return std::find(g_host.openPanels.begin(), g_host.openPanels.end(), panel) !=
           g_host.openPanels.end();
}

// ---- the services ------------------------------------------------------------------------------

const wchar_t* WINAPI HostGetMsg(const GUID* plugin, intptr_t id) {
    static const std::vector<std::wstring> texts = []() {
        std::vector<std::wstring> all;
        for (int i = 0; i < kMessageCount; ++i) {
            all.push_back(L"m" + std::to_wstring(i));
        }
        return all;
    }();
    CheckPluginGuid("GetMsg", plugin);
    if (id < 0 || id >= kMessageCount) {
        Fault("GetMsg asked for message " + std::to_string(id) + ", beyond the language file's " +
              std::to_string(kMessageCount));
        return L"";
    }
    return texts[static_cast<size_t>(id)].c_str();
}

intptr_t FillPanelInfo(HANDLE panel, void* info, PanelCall* call) {
    if (info == nullptr) {
        Fault("FCTL_GETPANELINFO without a PanelInfo");
        return 0;
    }
    call->structSize = Read<size_t>(info, 0);
    if (call->structSize < kPanelInfoSize) {
        return 0; // as FAR: a record smaller than the host's is refused
    }
    memset(info, 0, kPanelInfoSize);
    Write<size_t>(info, 0, kPanelInfoSize);
    Write<HANDLE>(info, kPanelInfoPlugin, panel);
    memcpy(static_cast<unsigned char*>(info) + kPanelInfoOwnerGuid, kPluginGuid.bytes, 16);
    Write<unsigned long long>(info, kPanelInfoFlags, kPflagsPlugin | kPflagsFocus);
    Write<size_t>(info, kPanelInfoItems, g_host.selection.size() + 1); // with ".."
    Write<size_t>(info, kPanelInfoSelected, g_host.selection.size());
    Write<size_t>(info, kPanelInfoCurrent, 1);
    return 1;
}

// The size protocol: the bytes one item needs (the record and its name behind it), and the
// item itself only into a buffer that the request says is large enough.
intptr_t FillSelectedItem(intptr_t index, void* request, PanelCall* call) {
    if (index < 0 || static_cast<size_t>(index) >= g_host.selection.size()) {
        Fault("FCTL_GETSELECTEDPANELITEM for item " + std::to_string(index) + " of " +
              std::to_string(g_host.selection.size()) + " selected");
        return 0;
    }
    const ListedItem& item = g_host.selection[static_cast<size_t>(index)];
    const size_t needed = kItemSize + (item.fileName.size() + 1) * sizeof(wchar_t);
    if (request == nullptr) {
        return static_cast<intptr_t>(needed);
    }
    call->structSize = Read<size_t>(request, 0);
    call->bufferSize = Read<size_t>(request, kGetItemBufferSize);
    unsigned char* buffer = Read<unsigned char*>(request, kGetItemBuffer);
    if (call->structSize < kGetItemSize || buffer == nullptr || call->bufferSize < needed) {
        return static_cast<intptr_t>(needed);
    }
    memset(buffer, 0, needed);
    wchar_t* name = reinterpret_cast<wchar_t*>(buffer + kItemSize);
    memcpy(name, item.fileName.c_str(), (item.fileName.size() + 1) * sizeof(wchar_t));
    Write<const wchar_t*>(buffer, kItemFileName, name);
    Write<unsigned long long>(buffer, kItemFlags, item.flags | kPpifSelected);
    Write<uintptr_t>(buffer, kItemUserData, item.data);
    Write<uintptr_t>(buffer, kItemFreeData, item.freeData);
    Write<uint32_t>(buffer, kItemAttributes, item.attributes);
    return static_cast<intptr_t>(needed);
}

intptr_t WINAPI HostPanelControl(HANDLE panel, int command, intptr_t param1, void* param2) {
    PanelCall call;
    call.panel = panel;
    call.command = command;
    call.param1 = param1;
    call.param2Null = param2 == nullptr;
    switch (command) {
    case kFctlGetPanelInfo: {
        intptr_t result = FillPanelInfo(panel, param2, &call);
        g_host.panelCalls.push_back(call);
        return result;
    }
    case kFctlGetSelectedPanelItem: {
        intptr_t result = FillSelectedItem(param1, param2, &call);
        g_host.panelCalls.push_back(call);
        return result;
    }
    case kFctlUpdatePanel:
    case kFctlRedrawPanel:
        g_host.panelCalls.push_back(call);
        return 1;
    case kFctlClosePanel:
        if (param2 != nullptr) {
            call.directory = static_cast<const wchar_t*>(param2);
        }
        g_host.panelCalls.push_back(call);
        // FAR 3 closes the plug-in before FCTL_CLOSEPANEL returns.
        if (!ClosePanel(panel)) {
            Fault("FCTL_CLOSEPANEL for a panel that is not open");
        }
        return 1;
    default:
        Fault("PanelControl command " + std::to_string(command) + " is not one Velumo needs");
        g_host.panelCalls.push_back(call);
        return 0;
    }
}

intptr_t CreateStore(intptr_t location, void* create) {
    if (create == nullptr || Read<size_t>(create, 0) < kSettingsCreateSize) {
        Fault("SCTL_CREATE without a FarSettingsCreate of the host's size");
        return 0;
    }
    CheckPluginGuid("SCTL_CREATE", static_cast<const unsigned char*>(create) + kSettingsCreateGuid);
    if (location != 0 && location != 1) {
        Fault("SCTL_CREATE for location " + std::to_string(location));
    }
    ++g_host.storeOpens;
    if (g_host.storeRefuses) {
        return 0;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(g_host.nextStoreHandle++);
    Write<HANDLE>(create, kSettingsCreateHandle, handle);
    g_host.openStores[handle] = Store();
    return 1;
}

intptr_t SetOrGet(HANDLE handle, int command, void* item) {
    auto open = g_host.openStores.find(handle);
    if (open == g_host.openStores.end()) {
        Fault("SCTL_SET or SCTL_GET on a settings handle that is not open");
        return 0;
    }
    if (item == nullptr || Read<size_t>(item, 0) < kSettingsItemSize ||
        Read<size_t>(item, kSettingsItemRoot) != 0) {
        Fault("SCTL_SET or SCTL_GET without a FarSettingsItem of the host's size at the root");
        return 0;
    }
    const std::wstring name = TextAt(item, kSettingsItemName);
    const int type = Read<int>(item, kSettingsItemType);
    if (type != kFstQword) {
        Fault("setting " + Narrow(name) + " of type " + std::to_string(type) + ", not FST_QWORD");
        return 0;
    }
    if (command == kSctlSet) {
        open->second[name] = {type, Read<unsigned long long>(item, kSettingsItemNumber)};
        return 1;
    }
    // A transaction reads its own writes; a missing value leaves the item as it was.
    const Store* sources[] = {&open->second, &g_host.store};
    for (const Store* source : sources) {
        auto found = source->find(name);
        if (found != source->end()) {
            if (found->second.type != type) {
                return 0;
            }
            Write<unsigned long long>(item, kSettingsItemNumber, found->second.number);
            return 1;
        }
    }
    return 0;
}

intptr_t WINAPI HostSettingsControl(HANDLE handle, int command, intptr_t param1, void* param2) {
    switch (command) {
    case kSctlCreate:
        return CreateStore(param1, param2);
    case kSctlFree: {
        auto open = g_host.openStores.find(handle);
        if (open == g_host.openStores.end()) {
            Fault("SCTL_FREE on a settings handle that is not open");
            return 0;
        }
        for (const auto& value : open->second) {
            g_host.store[value.first] = value.second; // the commit
        }
        g_host.openStores.erase(open);
        return 1;
    }
    case kSctlSet:
    case kSctlGet:
        return SetOrGet(handle, command, param2);
    default:
        Fault("SettingsControl command " + std::to_string(command) + " is not one Velumo needs");
        return 0;
    }
}

DialogSeen* DialogOf(HANDLE dialog, const char* service) {
    uintptr_t index = reinterpret_cast<uintptr_t>(dialog) - 1;
    if (index >= g_host.dialogs.size() || g_host.dialogs[index].freed) {
        Fault(std::string(service) + " on a dialog handle that is not open");
        return nullptr;
    }
    return &g_host.dialogs[index];
}

HANDLE WINAPI HostDialogInit(const GUID* plugin, const GUID* id, intptr_t x1, intptr_t y1,
                             intptr_t x2, intptr_t y2, const wchar_t* helpTopic, const void* items,
                             size_t count, intptr_t, unsigned long long, void*, void*) {
    CheckPluginGuid("DialogInit", plugin);
    if (items == nullptr || count == 0) {
        Fault("DialogInit without items");
        return INVALID_HANDLE_VALUE;
    }
    DialogSeen seen;
    seen.dialogGuid = GuidText(id);
    seen.x1 = x1;
    seen.y1 = y1;
    seen.x2 = x2;
    seen.y2 = y2;
    seen.helpTopic = helpTopic != nullptr ? helpTopic : kNullText;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* item = static_cast<const unsigned char*>(items) + i * kDialogItemSize;
        seen.items.push_back(
            {Read<int>(item, 0), Read<intptr_t>(item, kDialogItemX1),
             Read<intptr_t>(item, kDialogItemY1), Read<intptr_t>(item, kDialogItemX2),
             Read<intptr_t>(item, kDialogItemY2), Read<intptr_t>(item, kDialogItemSelected),
             Read<unsigned long long>(item, kDialogItemFlags), TextAt(item, kDialogItemData)});
        seen.states.push_back(seen.items.back().selected);
    }
    g_host.dialogs.push_back(seen);
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(g_host.dialogs.size()));
}

// The user clicks the scripted check boxes, then presses Enter on OK ("m0") or Esc.
intptr_t WINAPI HostDialogRun(HANDLE dialog) {
    DialogSeen* seen = DialogOf(dialog, "DialogRun");
    if (seen == nullptr) {
        return -1;
    }
    for (const std::wstring& text : g_host.checkBoxesClicked) {
        bool clicked = false;
        for (size_t i = 0; i < seen->items.size() && !clicked; ++i) {
            if (seen->items[i].type == kDiCheckBox && seen->items[i].text == text) {
                seen->states[i] =
                    seen->states[i] == kBstateChecked ? kBstateUnchecked : kBstateChecked;
                clicked = true;
            }
        }
        if (!clicked) {
            Fault("the dialog has no check box \"" + Narrow(text) + "\" to click");
        }
    }
    if (!g_host.dialogConfirmed) {
        return -1;
    }
    for (size_t i = 0; i < seen->items.size(); ++i) {
        if (seen->items[i].type == kDiButton && seen->items[i].text == L"m0") {
            return static_cast<intptr_t>(i);
        }
    }
    Fault("the dialog has no OK button");
    return -1;
}

void WINAPI HostDialogFree(HANDLE dialog) {
    DialogSeen* seen = DialogOf(dialog, "DialogFree");
    if (seen != nullptr) {
        seen->freed = true;
    }
}

intptr_t WINAPI HostSendDlgMessage(HANDLE dialog, intptr_t message, intptr_t param1, void*) {
    DialogSeen* seen = DialogOf(dialog, "SendDlgMessage");
    if (seen == nullptr) {
        return 0;
    }
    if (message != kDmGetCheck) {
        Fault("SendDlgMessage message " + std::to_string(message) + " is not one Velumo needs");
        return 0;
    }
    if (param1 < 0 || static_cast<size_t>(param1) >= seen->items.size() ||
        seen->items[static_cast<size_t>(param1)].type != kDiCheckBox) {
        Fault("DM_GETCHECK on item " + std::to_string(param1) + ", not a check box");
        return 0;
    }
    return seen->states[static_cast<size_t>(param1)];
}

// What a stale start-up record leads to: the DLL kept FAR's record (or its FSF table) and
// calls through it after SetStartupInfoW returned.
template <typename Result, typename... Args> Result WINAPI StaleService(Args...) {
    Fault("a service was called through the start-up record after SetStartupInfoW returned");
    return Result();
}

void OverwritePointer(volatile unsigned char* record, size_t offset, void* value) {
    unsigned char bytes[sizeof value];
    memcpy(bytes, &value, sizeof value);
    for (size_t i = 0; i < sizeof value; ++i) {
        record[offset + i] = bytes[i];
    }
}

template <typename Function> void* Pointer(Function function) {
    return reinterpret_cast<void*>(function);
}

Record Called(VoidEntry entry, size_t size, const char* what) {
    Record record(size);
    entry(record.data());
    record.CheckGuard(what);
    return record;
}

} // namespace

// ---- helpers ------------------------------------------------------------------------------------

std::string GuidText(const void* guid) {
    if (guid == nullptr) {
        return "(null)";
    }
    const unsigned char* b = static_cast<const unsigned char*>(guid);
    char text[40];
    snprintf(text, sizeof text,
             "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2],
             b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
             b[15]);
    return text;
}

std::wstring TextAt(const void* record, size_t offset) {
    const wchar_t* text = Read<const wchar_t*>(record, offset);
    return text != nullptr ? std::wstring(text) : kNullText;
}

Record::Record(size_t size, bool hasStructSize)
    : size_(size), bytes_(size + kGuardSize, kGuardByte) {
    memset(bytes_.data(), 0, size);
    if (hasStructSize) {
        Put<size_t>(0, size);
    }
}

void Record::CheckGuard(const char* what) const {
    for (size_t i = size_; i < bytes_.size(); ++i) {
        if (bytes_[i] != kGuardByte) {
            Fault(std::string(what) + " wrote past the host's " + std::to_string(size_) +
                  "-byte record, at byte " + std::to_string(i));
            return;
        }
    }
}

std::string Describe(const Store& store) {
    std::string text = "{";
    for (const auto& value : store) {
        text += (text.size() > 1 ? ", " : "") + Narrow(value.first) + "=" +
                std::to_string(value.second.type) + ":" + std::to_string(value.second.number);
    }
    return text + "}";
}

void Fault(const std::string& what) {
    ADD_FAILURE() << "the host saw: " << what;
}

void CheckNothingLeftOpen() {
    if (!g_host.openStores.empty()) {
        Fault(std::to_string(g_host.openStores.size()) + " settings handle(s) never freed");
    }
    for (const DialogSeen& dialog : g_host.dialogs) {
        if (!dialog.freed) {
            Fault("a dialog was never freed");
        }
    }
}

// ---- the DLL ------------------------------------------------------------------------------------

const std::string& LoadPlugin(const std::wstring& path) {
    if (g_plugin.attempted) {
        return g_plugin.error;
    }
    g_plugin.attempted = true;
    g_plugin.path = path;
    g_plugin.module = LoadLibraryW(path.c_str());
    if (g_plugin.module == nullptr) {
        g_plugin.error = "LoadLibraryW failed, error " + std::to_string(GetLastError());
        return g_plugin.error;
    }
    HMODULE m = g_plugin.module;
    Exports& e = g_plugin.exports;
    const bool all =
        Find(m, "GetGlobalInfoW", &e.GetGlobalInfoW) &&
        Find(m, "SetStartupInfoW", &e.SetStartupInfoW) &&
        Find(m, "GetPluginInfoW", &e.GetPluginInfoW) && Find(m, "OpenW", &e.OpenW) &&
        Find(m, "ClosePanelW", &e.ClosePanelW) && Find(m, "GetFindDataW", &e.GetFindDataW) &&
        Find(m, "FreeFindDataW", &e.FreeFindDataW) &&
        Find(m, "GetOpenPanelInfoW", &e.GetOpenPanelInfoW) &&
        Find(m, "SetDirectoryW", &e.SetDirectoryW) && Find(m, "DeleteFilesW", &e.DeleteFilesW) &&
        Find(m, "ProcessPanelInputW", &e.ProcessPanelInputW) &&
        Find(m, "ConfigureW", &e.ConfigureW) && Find(m, "ExitFARW", &e.ExitFARW);
    if (!all) {
        g_plugin.error = "an export of the FAR 3 interface is missing";
    }
    return g_plugin.error;
}

const Exports& Plugin() {
    return g_plugin.exports;
}

// ---- FAR's calls --------------------------------------------------------------------------------

Record GlobalInfoRecord() {
    return Called(Plugin().GetGlobalInfoW, kGlobalSize, "GetGlobalInfoW");
}

Record PluginInfoRecord() {
    return Called(Plugin().GetPluginInfoW, kPluginInfoSize, "GetPluginInfoW");
}

Record OpenPanelInfoRecord(HANDLE panel) {
    Record info(kOpenPanelSize);
    info.Put<HANDLE>(kOpenPanelHandle, panel);
    Plugin().GetOpenPanelInfoW(info.data());
    info.CheckGuard("GetOpenPanelInfoW");
    return info;
}

void StartFar1() {
    alignas(8) unsigned char startup[kStartupSize];
    alignas(8) unsigned char standardFunctions[kFsfSize];
    memset(startup, 0, sizeof startup);
    memset(standardFunctions, 0, sizeof standardFunctions);
    Write<size_t>(standardFunctions, 0, kFsfSize);
    Write<size_t>(startup, 0, kStartupSize);
    Write<const wchar_t*>(startup, kStartupModuleName, g_plugin.path.c_str());
    Write<void*>(startup, kStartupGetMsg, Pointer(HostGetMsg));
    Write<void*>(startup, kStartupPanelControl, Pointer(HostPanelControl));
    Write<void*>(startup, kStartupFsf, standardFunctions);
    Write<void*>(startup, kStartupDialogInit, Pointer(HostDialogInit));
    Write<void*>(startup, kStartupDialogRun, Pointer(HostDialogRun));
    Write<void*>(startup, kStartupDialogFree, Pointer(HostDialogFree));
    Write<void*>(startup, kStartupSendDlgMessage, Pointer(HostSendDlgMessage));
    Write<void*>(startup, kStartupSettingsControl, Pointer(HostSettingsControl));
    Write<HMODULE>(startup, kStartupInstance, g_plugin.module);
    Plugin().SetStartupInfoW(startup);

    // FAR's record lives on FAR's stack for the call only: from here on it leads nowhere.
    volatile unsigned char* record = startup;
    OverwritePointer(record, kStartupGetMsg,
                     Pointer(StaleService<const wchar_t*, const GUID*, intptr_t>));
    OverwritePointer(record, kStartupPanelControl,
                     Pointer(StaleService<intptr_t, HANDLE, int, intptr_t, void*>));
    OverwritePointer(record, kStartupSettingsControl,
                     Pointer(StaleService<intptr_t, HANDLE, int, intptr_t, void*>));
    OverwritePointer(record, kStartupDialogInit,
                     Pointer(StaleService<HANDLE, const GUID*, const GUID*, intptr_t, intptr_t,
                                          intptr_t, intptr_t, const wchar_t*, const void*, size_t,
                                          intptr_t, unsigned long long, void*, void*>));
    OverwritePointer(record, kStartupDialogRun, Pointer(StaleService<intptr_t, HANDLE>));
    OverwritePointer(record, kStartupDialogFree, Pointer(StaleService<void, HANDLE>));
    OverwritePointer(record, kStartupSendDlgMessage,
                     Pointer(StaleService<intptr_t, HANDLE, intptr_t, intptr_t, void*>));
    OverwritePointer(record, kStartupFsf, nullptr);
    volatile unsigned char* table = standardFunctions;
    for (size_t i = 0; i < kFsfSize; ++i) {
        table[i] = 0;
    }
    // FAR reads the menus next, while the old record is still on this stack: a DLL that kept
    // it reaches the stale services now rather than whatever the stack holds later.
    PluginInfoRecord();
}

HANDLE OpenPanel(int openFrom, const GuidBytes& guid, intptr_t data) {
    Record info(kOpenSize);
    info.Put<int>(kOpenFrom, openFrom);
    info.Put<const void*>(kOpenGuid, guid.bytes);
    info.Put<intptr_t>(kOpenData, data);
    HANDLE panel = Plugin().OpenW(info.data());
    if (panel != nullptr) {
        g_host.openPanels.push_back(panel);
    }
    return panel;
}

HANDLE OpenFromPluginsMenu() {
    return OpenPanel(kOpenPluginsMenu, kPluginsMenuGuid, 0);
}

HANDLE OpenFromCommandLine(const std::wstring& text) {
    Record command(kCommandLineSize);
    command.Put<const wchar_t*>(kCommandLineText, text.c_str());
    return OpenPanel(kOpenCommandLine, kZeroGuid, reinterpret_cast<intptr_t>(command.data()));
}

bool ClosePanel(HANDLE panel) {
    auto open = std::find(g_host.openPanels.begin(), g_host.openPanels.end(), panel);
    if (open == g_host.openPanels.end()) {
        return false;
    }
    g_host.openPanels.erase(open);
    Record info(kCloseSize);
    info.Put<HANDLE>(kClosePanel, panel);
    Plugin().ClosePanelW(info.data());
    return true;
}

void CloseAllPanels() {
    while (!g_host.openPanels.empty()) {
        ClosePanel(g_host.openPanels.back());
    }
}

Listing ListPanel(HANDLE panel) {
    if (!IsOpen(panel)) {
        Fault("listing a panel that is not open");
        return Listing();
    }
    Record find(kFindSize);
    find.Put<HANDLE>(kFindPanel, panel);
    find.Put<unsigned long long>(kFindOpMode, 0);
    Listing listing;
    listing.result = Plugin().GetFindDataW(find.data());
    find.CheckGuard("GetFindDataW");
    const unsigned char* items = find.Get<const unsigned char*>(kFindItems);
    listing.arrayNull = items == nullptr;
    listing.count = find.Get<size_t>(kFindCount);
    for (size_t i = 0; items != nullptr && i < listing.count; ++i) {
        const unsigned char* item = items + i * kItemSize;
        ListedItem copy;
        copy.fileName = TextAt(item, kItemFileName);
        copy.columnCount = Read<size_t>(item, kItemColumnCount);
        const wchar_t* const* columns = Read<const wchar_t* const*>(item, kItemColumns);
        if (columns != nullptr && copy.columnCount >= 2) {
            copy.status = columns[0] != nullptr ? columns[0] : kNullText;
            copy.handleText = columns[1] != nullptr ? columns[1] : kNullText;
        }
        copy.data = Read<uintptr_t>(item, kItemUserData);
        copy.freeData = Read<uintptr_t>(item, kItemFreeData);
        copy.attributes = Read<uint32_t>(item, kItemAttributes);
        copy.flags = Read<unsigned long long>(item, kItemFlags);
        copy.descriptionAndOwnerNull = Read<const void*>(item, kItemDescription) == nullptr &&
                                       Read<const void*>(item, kItemOwner) == nullptr;
        listing.items.push_back(copy);
    }
    Record release(kFreeFindSize);
    release.Put<HANDLE>(kFreeFindPanel, panel);
    release.Put<const void*>(kFreeFindItems, items);
    release.Put<size_t>(kFreeFindCount, listing.count);
    Plugin().FreeFindDataW(release.data());
    return listing;
}

intptr_t PressKey(HANDLE panel, WORD virtualKey, DWORD controlState) {
    Record input(kInputSize);
    input.Put<HANDLE>(kInputPanel, panel);
    input.Put<WORD>(kInputRec, KEY_EVENT);
    input.Put<BOOL>(kInputKeyDown, TRUE);
    input.Put<WORD>(kInputRepeat, 1);
    input.Put<WORD>(kInputVirtualKey, virtualKey);
    input.Put<DWORD>(kInputControlState, controlState);
    return Plugin().ProcessPanelInputW(input.data());
}

intptr_t DeleteItems(HANDLE panel, const std::vector<ListedItem>& items) {
    Record array(items.size() * kItemSize, false);
    for (size_t i = 0; i < items.size(); ++i) {
        const size_t at = i * kItemSize;
        array.Put<const wchar_t*>(at + kItemFileName, items[i].fileName.c_str());
        array.Put<unsigned long long>(at + kItemFlags, items[i].flags | kPpifSelected);
        array.Put<uintptr_t>(at + kItemUserData, items[i].data);
        array.Put<uintptr_t>(at + kItemFreeData, items[i].freeData);
        array.Put<uint32_t>(at + kItemAttributes, items[i].attributes);
    }
    Record info(kDeleteSize);
    info.Put<HANDLE>(kDeletePanel, panel);
    info.Put<const void*>(kDeleteItems, items.empty() ? nullptr : array.data());
    info.Put<size_t>(kDeleteCount, items.size());
    info.Put<unsigned long long>(kDeleteOpMode, 0);
    return Plugin().DeleteFilesW(info.data());
}

intptr_t SetDirectory(HANDLE panel, const wchar_t* directory, unsigned long long opMode) {
    Record info(kSetDirSize);
    info.Put<HANDLE>(kSetDirPanel, panel);
    info.Put<const wchar_t*>(kSetDirDir, directory);
    info.Put<unsigned long long>(kSetDirOpMode, opMode);
    return Plugin().SetDirectoryW(info.data());
}

intptr_t Configure(const GuidBytes& guid) {
    Record info(kConfigureSize);
    info.Put<const void*>(kConfigureGuid, guid.bytes);
    return Plugin().ConfigureW(info.data());
}

} // namespace far3host
