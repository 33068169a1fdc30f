// FAR's two panels as a plug-in meets them: opening, listing, keys, directory changes, closing,
// PanelControl, configuration and exit.
#include "folder_after_close.h"
#include "host_state.h"

#include <algorithm>
#include <cstring>

namespace far3host {
namespace {

// Control-key bits FAR puts in a synthesised key event: the modifiers, NUMLOCK_ON (numpad
// decimal) and ENHANCED_KEY (navigation keys).
constexpr DWORD kModifierBits = 0x1F;
constexpr DWORD kKeyStateBits = kModifierBits | 0x20 | 0x100;

HostPanel& PanelOn(PanelSide side) {
    return Host().panels[side];
}

PanelSide SideOf(const HostPanel& panel) {
    return &panel == &Host().panels[kLeftPanel] ? kLeftPanel : kRightPanel;
}

// FAR's own object for the panel, as FreeData callbacks get it.
HANDLE InternalHandle(HostPanel& panel) {
    return &panel;
}

void* Instance() {
    return Host().plugin.instance;
}

// A zeroed record of a call about the instance `plugin`: its size, panel and instance filled.
template <typename Info> Info InfoFor(HANDLE plugin) {
    Info info;
    memset(&info, 0, sizeof(info));
    info.StructSize = sizeof(info);
    info.hPanel = plugin;
    info.Instance = Instance();
    return info;
}

WCHAR FoldAscii(WCHAR c) {
    return c >= 'a' && c <= 'z' ? static_cast<WCHAR>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(const Text& first, const Text& second) {
    if (first.size() != second.size()) {
        return false;
    }
    for (size_t i = 0; i < first.size(); ++i) {
        if (FoldAscii(first[i]) != FoldAscii(second[i])) {
            return false;
        }
    }
    return true;
}

// ---- Calls into the plug-in ----------------------------------------------------------------

void CallFreeData(HostPanel& panel, const std::vector<ListedItem>& discarded) {
    for (const ListedItem& item : discarded) {
        if (item.userData.FreeData == nullptr) {
            continue;
        }
        far3::FarPanelItemFreeInfo info = {sizeof(far3::FarPanelItemFreeInfo),
                                           InternalHandle(panel)};
        Record(Call::FreeUserData, InternalHandle(panel),
               reinterpret_cast<intptr_t>(item.userData.Data));
        item.userData.FreeData(item.userData.Data, &info);
    }
}

void CallClosePanel(HANDLE plugin) {
    far3::ClosePanelInfo info = {sizeof(far3::ClosePanelInfo), plugin, Instance()};
    Record(Call::ClosePanel, plugin, 0);
    Host().plugin.ClosePanelW(&info);
}

// ProcessPanelEventW when exported; 0 (go on) otherwise.
intptr_t SendEvent(HANDLE plugin, far3::FAR_EVENTS event) {
    far3::ProcessPanelEventWFn send = Host().plugin.ProcessPanelEventW;
    if (send == nullptr) {
        return 0;
    }
    far3::ProcessPanelEventInfo info = {sizeof(far3::ProcessPanelEventInfo), event, nullptr, plugin,
                                        Instance()};
    Record(Call::ProcessPanelEvent, plugin, event);
    return send(&info);
}

// FAR's PopPlugin: the panel forgets the instance and its items (FreeData callbacks), then
// ClosePanelW. The panel shows its file folder again.
void PopPlugin(HostPanel& panel) {
    HANDLE closing = panel.plugin;
    panel.plugin = nullptr;
    panel.info = OpenPanelInfoCopy();
    std::vector<ListedItem> discarded;
    discarded.swap(panel.items);
    panel.cursor = 0;
    CallFreeData(panel, discarded);
    CallClosePanel(closing);
}

size_t ColumnCount(const WCHAR* columnTypes) {
    if (columnTypes == nullptr || columnTypes[0] == 0) {
        return 0;
    }
    size_t count = 1;
    for (const WCHAR* c = columnTypes; *c != 0; ++c) {
        count += *c == ',' ? 1 : 0;
    }
    return count;
}

std::optional<Text> OptionalText(const WCHAR* text) {
    return text != nullptr ? std::optional<Text>(Text(text)) : std::nullopt;
}

OpenPanelInfoCopy CopyOpenPanelInfo(const far3::OpenPanelInfo& info) {
    OpenPanelInfoCopy copy;
    copy.flags = info.Flags;
    copy.curDir = CopyText(info.CurDir);
    copy.format = CopyText(info.Format);
    copy.panelTitle = CopyText(info.PanelTitle);
    copy.startPanelMode = info.StartPanelMode;
    if (ArrayFits(info.PanelModesArray, info.PanelModesNumber)) {
        for (size_t i = 0; i < info.PanelModesNumber; ++i) {
            const far3::PanelMode& mode = info.PanelModesArray[i];
            PanelModeCopy modeCopy;
            modeCopy.columnTypes = CopyText(mode.ColumnTypes);
            modeCopy.columnWidths = CopyText(mode.ColumnWidths);
            modeCopy.flags = mode.Flags;
            if (mode.ColumnTitles != nullptr) {
                std::vector<Text> titles;
                for (size_t column = 0; column < ColumnCount(mode.ColumnTypes); ++column) {
                    titles.push_back(CopyText(mode.ColumnTitles[column]));
                }
                modeCopy.columnTitles = titles;
            }
            copy.panelModes.push_back(modeCopy);
        }
    }
    if (info.KeyBar != nullptr && ArrayFits(info.KeyBar->Labels, info.KeyBar->CountLabels)) {
        for (size_t i = 0; i < info.KeyBar->CountLabels; ++i) {
            const far3::KeyBarLabel& label = info.KeyBar->Labels[i];
            copy.keyBar.push_back(
                KeyBarLabelCopy{label.Key.VirtualKeyCode, label.Key.ControlKeyState,
                                OptionalText(label.Text), OptionalText(label.LongText)});
        }
    }
    return copy;
}

// GetOpenPanelInfoW on a zeroed record, copied into the panel. Not called again from inside
// itself (a service the plug-in calls there gets the previous copy).
void FetchOpenPanelInfo(HostPanel& panel) {
    HostState& host = Host();
    if (panel.plugin == nullptr) {
        return;
    }
    if (host.inOpenPanelInfo) {
        NoteAnomaly(Anomaly::ReenteredOpenPanelInfo);
        return;
    }
    far3::OpenPanelInfo info;
    memset(&info, 0, sizeof(info));
    info.StructSize = sizeof(info);
    info.hPanel = panel.plugin;
    Record(Call::GetOpenPanelInfo, panel.plugin, 0);
    host.inOpenPanelInfo = true;
    host.plugin.GetOpenPanelInfoW(&info);
    host.inOpenPanelInfo = false;
    panel.info = CopyOpenPanelInfo(info);
}

ListedItem CopyItem(const far3::PluginPanelItem& item) {
    ListedItem copy;
    if (item.FileName == nullptr) {
        NoteAnomaly(Anomaly::UnnamedItem);
    }
    copy.fileName = CopyText(item.FileName);
    copy.description = OptionalText(item.Description);
    if (ArrayFits(item.CustomColumnData, item.CustomColumnNumber)) {
        for (size_t i = 0; i < item.CustomColumnNumber; ++i) {
            copy.customColumns.push_back(CopyText(item.CustomColumnData[i]));
        }
    }
    copy.flags = item.Flags;
    copy.userData = item.UserData;
    copy.fileAttributes = item.FileAttributes;
    return copy;
}

// FAR's re-read of a plug-in panel. False when the panel no longer shows the instance
// afterwards (GetFindDataW gave 0, or the plug-in closed it meanwhile).
bool ReadItems(HostPanel& panel, bool keepSelection) {
    HostState& host = Host();
    HANDLE shown = panel.plugin;
    if (shown == nullptr) {
        return false;
    }
    FetchOpenPanelInfo(panel);
    if (panel.plugin != shown) {
        return false;
    }
    far3::GetFindDataInfo find = InfoFor<far3::GetFindDataInfo>(shown);
    Record(Call::GetFindData, shown, 0);
    if (!host.plugin.GetFindDataW(&find)) {
        if (panel.plugin == shown) {
            PopPlugin(panel);
        }
        return false;
    }
    std::vector<ListedItem> fresh;
    if ((panel.info.flags & far3::OPIF_ADDDOTS) != 0) {
        ListedItem dots;
        dots.fileName = FAR3_TEXT("..");
        dots.isDots = true;
        fresh.push_back(dots);
    }
    if (ArrayFits(find.PanelItem, find.ItemsNumber)) {
        for (size_t i = 0; i < find.ItemsNumber; ++i) {
            const far3::PluginPanelItem& item = find.PanelItem[i];
            if ((item.FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
                if (item.UserData.FreeData != nullptr) {
                    NoteAnomaly(Anomaly::DroppedItemWithFreeData, static_cast<intptr_t>(i));
                }
                continue;
            }
            fresh.push_back(CopyItem(item));
        }
    }
    far3::FreeFindDataInfo release = {sizeof(far3::FreeFindDataInfo), shown, find.PanelItem,
                                      find.ItemsNumber, Instance()};
    Record(Call::FreeFindData, shown, static_cast<intptr_t>(find.ItemsNumber));
    host.plugin.FreeFindDataW(&release);
    if (panel.plugin != shown) {
        return false;
    }

    // The selection and the cursor follow the items' names.
    Text cursorName =
        panel.cursor < panel.items.size() ? panel.items[panel.cursor].fileName : Text();
    for (ListedItem& item : fresh) {
        for (const ListedItem& old : panel.items) {
            if (keepSelection && old.selected && !item.isDots && old.fileName == item.fileName) {
                item.selected = true;
            }
        }
    }
    size_t cursor = panel.cursor;
    for (size_t i = 0; i < fresh.size(); ++i) {
        if (!cursorName.empty() && fresh[i].fileName == cursorName) {
            cursor = i;
            break;
        }
    }
    std::vector<ListedItem> discarded;
    discarded.swap(panel.items);
    panel.items = fresh;
    panel.cursor = panel.items.empty() ? 0 : std::min(cursor, panel.items.size() - 1);
    CallFreeData(panel, discarded);
    return true;
}

void ReadPluginPanels() {
    for (HostPanel& panel : Host().panels) {
        ReadItems(panel, true);
    }
}

// FAR's ProcessPluginPanel: the panel on `side` takes the instance that just opened. An
// instance it showed gets FE_CLOSE (non-zero keeps it, and the new one is closed), then goes.
void ShowOpened(PanelSide side, HANDLE opened) {
    HostPanel& panel = PanelOn(side);
    if (panel.plugin != nullptr) {
        if (SendEvent(panel.plugin, far3::FE_CLOSE) != 0) {
            CallClosePanel(opened);
            return;
        }
        if (panel.plugin != nullptr) {
            PopPlugin(panel);
        }
    }
    panel.plugin = opened;
    panel.driveMenuShown = false;
    panel.cursor = 0;
    ReadItems(panel, false);
}

HANDLE CallOpen(far3::OPENFROM openFrom, const GUID* guid, intptr_t data, const Text& text) {
    far3::OpenInfo info = {sizeof(far3::OpenInfo), openFrom, guid, data, Instance()};
    Record(Call::Open, nullptr, openFrom, text);
    return Host().plugin.OpenW(&info);
}

// OpenW for an item of one of the plug-in's menus (as FAR builds it now), shown on `side`.
HANDLE OpenFromMenu(MenuCopy PluginInfoCopy::*menu, size_t item, far3::OPENFROM from,
                    PanelSide side) {
    if (!Host().loaded) {
        return nullptr;
    }
    const std::vector<GUID> guids = (ReadPluginInfo().*menu).guids;
    if (item >= guids.size()) {
        return nullptr;
    }
    HANDLE opened = CallOpen(from, &guids[item], 0, Text());
    if (opened != nullptr) {
        ShowOpened(side, opened);
    }
    return opened;
}

// ---- PanelControl ------------------------------------------------------------------------------

HostPanel* ResolvePanel(HANDLE hPanel) {
    HostState& host = Host();
    if (hPanel == nullptr || hPanel == far3::PANEL_ACTIVE) {
        return &host.panels[host.active];
    }
    if (hPanel == far3::PANEL_PASSIVE) {
        return &host.panels[1 - host.active];
    }
    for (HostPanel& panel : host.panels) {
        if (panel.plugin != nullptr && panel.plugin == hPanel) {
            return &panel;
        }
    }
    NoteAnomaly(Anomaly::UnknownPanelHandle);
    return nullptr;
}

size_t SelectedCount(const HostPanel& panel) {
    size_t count = 0;
    for (const ListedItem& item : panel.items) {
        count += item.selected ? 1 : 0;
    }
    return count;
}

intptr_t GetPanelInfo(HostPanel& panel, void* param2) {
    HostState& host = Host();
    if (!StructSizeFits(param2, sizeof(far3::PanelInfo))) {
        return FALSE;
    }
    FetchOpenPanelInfo(panel);
    auto* info = static_cast<far3::PanelInfo*>(param2);
    memset(info, 0, sizeof(*info));
    info->StructSize = sizeof(*info);
    info->PluginHandle = panel.plugin;
    bool left = SideOf(panel) == kLeftPanel;
    info->Flags = far3::PFLAGS_VISIBLE | (left ? far3::PFLAGS_PANELLEFT : 0) |
                  (&panel == &host.panels[host.active] ? far3::PFLAGS_FOCUS : 0);
    if (panel.plugin != nullptr) {
        info->OwnerGuid = host.guid;
        info->Flags |= far3::PFLAGS_PLUGIN;
    }
    info->ItemsNumber = panel.items.size();
    info->SelectedItemsNumber = SelectedCount(panel);
    if (info->SelectedItemsNumber == 0 && panel.cursor < panel.items.size() &&
        !panel.items[panel.cursor].isDots) {
        info->SelectedItemsNumber = 1; // the item under the cursor counts as the selection
    }
    info->PanelRect = left ? RECT{0, 1, 39, 20} : RECT{40, 1, 79, 20};
    info->CurrentItem = panel.cursor;
    info->PanelType = far3::PTYPE_FILEPANEL;
    return TRUE;
}

// The item FCTL_GET*PANELITEM asks for, or null.
const ListedItem* PanelItemFor(const HostPanel& panel, far3::FILE_CONTROL_COMMANDS command,
                               intptr_t index) {
    const std::vector<ListedItem>& items = panel.items;
    if (command == far3::FCTL_GETCURRENTPANELITEM) {
        return panel.cursor < items.size() ? &items[panel.cursor] : nullptr;
    }
    if (index < 0) {
        return nullptr;
    }
    size_t wanted = static_cast<size_t>(index);
    if (command == far3::FCTL_GETPANELITEM) {
        return wanted < items.size() ? &items[wanted] : nullptr;
    }
    if (SelectedCount(panel) == 0) {
        return wanted == 0 && panel.cursor < items.size() ? &items[panel.cursor] : nullptr;
    }
    for (const ListedItem& item : items) {
        if (item.selected && wanted-- == 0) {
            return &item;
        }
    }
    return nullptr;
}

size_t TextBytes(const Text& text) {
    return (text.size() + 1) * sizeof(WCHAR);
}

// The bytes FAR needs for one item: the record, the custom column pointers, then the texts.
size_t ItemBytes(const ListedItem& item) {
    size_t bytes = sizeof(far3::PluginPanelItem) + item.customColumns.size() * sizeof(WCHAR*) +
                   TextBytes(item.fileName);
    bytes += item.description ? TextBytes(*item.description) : 0;
    for (const Text& column : item.customColumns) {
        bytes += TextBytes(column);
    }
    return bytes;
}

// Lays the item out in `buffer` (at least ItemBytes(item) bytes, pointer-aligned).
void PackItem(const ListedItem& item, unsigned char* buffer) {
    auto* record = reinterpret_cast<far3::PluginPanelItem*>(buffer);
    auto* columns = reinterpret_cast<const WCHAR**>(buffer + sizeof(far3::PluginPanelItem));
    auto* next = reinterpret_cast<WCHAR*>(buffer + sizeof(far3::PluginPanelItem) +
                                          item.customColumns.size() * sizeof(WCHAR*));
    auto put = [&next](const Text& text) {
        WCHAR* placed = next;
        text.copy(placed, text.size());
        placed[text.size()] = 0;
        next += text.size() + 1;
        return static_cast<const WCHAR*>(placed);
    };
    memset(record, 0, sizeof(*record));
    record->FileName = put(item.fileName);
    record->Description = item.description ? put(*item.description) : nullptr;
    for (size_t i = 0; i < item.customColumns.size(); ++i) {
        columns[i] = put(item.customColumns[i]);
    }
    record->CustomColumnData = item.customColumns.empty() ? nullptr : columns;
    record->CustomColumnNumber = item.customColumns.size();
    record->Flags = item.flags | (item.selected ? far3::PPIF_SELECTED : 0);
    record->UserData = item.userData;
    record->FileAttributes = item.fileAttributes;
}

intptr_t GetPanelItem(HostPanel& panel, far3::FILE_CONTROL_COMMANDS command, intptr_t index,
                      void* param2) {
    const ListedItem* item = PanelItemFor(panel, command, index);
    if (item == nullptr) {
        NoteAnomaly(Anomaly::BadItemIndex, index);
        return 0;
    }
    size_t needed = ItemBytes(*item);
    if (param2 == nullptr) {
        return static_cast<intptr_t>(needed);
    }
    auto* request = static_cast<far3::FarGetPluginPanelItem*>(param2);
    if (!StructSizeFits(request, sizeof(far3::FarGetPluginPanelItem))) {
        return 0;
    }
    if (request->Item != nullptr && request->Size >= needed) {
        PackItem(*item, reinterpret_cast<unsigned char*>(request->Item));
    }
    return static_cast<intptr_t>(needed);
}

intptr_t RedrawRequested(HostPanel& panel, void* param2) {
    if (param2 != nullptr) {
        if (!StructSizeFits(param2, sizeof(far3::PanelRedrawInfo))) {
            return FALSE;
        }
        const auto* redraw = static_cast<const far3::PanelRedrawInfo*>(param2);
        size_t last = panel.items.empty() ? 0 : panel.items.size() - 1;
        panel.cursor = std::min(redraw->CurrentItem, last);
    }
    FetchOpenPanelInfo(panel);
    return TRUE;
}

// Synchronous: the instance is closed when this returns.
intptr_t ClosePanel(HostPanel& panel, const ControlCall& call) {
    HANDLE shown = panel.plugin;
    if (shown == nullptr) {
        return FALSE;
    }
    FetchOpenPanelInfo(panel);
    if (panel.plugin == shown && SendEvent(shown, far3::FE_CLOSE) != 0) {
        return FALSE;
    }
    if (panel.plugin != shown) {
        return TRUE; // the plug-in closed it meanwhile
    }
    PopPlugin(panel);
    if (!call.hasParam2) {
        return TRUE; // back in the folder the plug-in was opened from
    }
    Text destination;
    if (farfolder::FolderAfterClose(panel.folder, call.directory, &destination)) {
        panel.folder = destination;
    } else {
        panel.driveMenuShown = true;
    }
    return TRUE;
}

intptr_t Control(HostPanel& panel, const ControlCall& call, void* param2) {
    switch (call.command) {
    case far3::FCTL_GETPANELINFO:
        return GetPanelInfo(panel, param2);
    case far3::FCTL_GETPANELITEM:
    case far3::FCTL_GETSELECTEDPANELITEM:
    case far3::FCTL_GETCURRENTPANELITEM:
        return GetPanelItem(panel, call.command, call.param1, param2);
    case far3::FCTL_UPDATEPANEL:
        ReadItems(panel, call.param1 != 0);
        return TRUE;
    case far3::FCTL_REDRAWPANEL:
        return RedrawRequested(panel, param2);
    case far3::FCTL_CLOSEPANEL:
        return ClosePanel(panel, call);
    default:
        NoteAnomaly(Anomaly::UnsupportedCommand, call.command);
        return 0;
    }
}

// ---- Deleting (F8) ---------------------------------------------------------------------------

// FAR's own copies of the chosen items for DeleteFilesW, alive for the call only.
void DeleteItems(HostPanel& panel, bool currentOnly) {
    std::vector<ListedItem> chosen;
    for (const ListedItem& item : panel.items) {
        if (!currentOnly && item.selected && !item.isDots) {
            chosen.push_back(item);
        }
    }
    if (chosen.empty() && panel.cursor < panel.items.size() && !panel.items[panel.cursor].isDots) {
        chosen.push_back(panel.items[panel.cursor]);
    }
    if (chosen.empty()) {
        return;
    }
    // Each item packed as for FCTL_GETPANELITEM (operator new's alignment suits the record);
    // the records are then gathered into one array, their texts staying in the buffers.
    std::vector<std::vector<unsigned char>> buffers;
    std::vector<far3::PluginPanelItem> records;
    for (const ListedItem& item : chosen) {
        buffers.emplace_back(ItemBytes(item));
        PackItem(item, buffers.back().data());
        records.push_back(*reinterpret_cast<const far3::PluginPanelItem*>(buffers.back().data()));
    }
    far3::DeleteFilesInfo info = {
        sizeof(far3::DeleteFilesInfo), panel.plugin, records.data(), records.size(), 0, Instance()};
    Record(Call::DeleteFiles, panel.plugin, static_cast<intptr_t>(records.size()));
    Host().plugin.DeleteFilesW(&info);
}

HostPanel* ActivePluginPanel() {
    HostState& host = Host();
    HostPanel& panel = host.panels[host.active];
    return host.loaded && panel.plugin != nullptr ? &panel : nullptr;
}

} // namespace

intptr_t WINAPI HostPanelControl(HANDLE hPanel, far3::FILE_CONTROL_COMMANDS command,
                                 intptr_t param1, void* param2) {
    HostState& host = Host();
    ControlCall call{hPanel, command, param1, param2 != nullptr, Text(), 0};
    if (command == far3::FCTL_CLOSEPANEL && param2 != nullptr) {
        call.directory = CopyText(static_cast<const WCHAR*>(param2));
    }
    size_t recorded = host.records.controlCalls.size();
    host.records.controlCalls.push_back(call);
    HostPanel* panel = ResolvePanel(hPanel);
    intptr_t result = panel != nullptr ? Control(*panel, call, param2) : 0;
    host.records.controlCalls[recorded].result = result;
    return result;
}
const std::vector<ControlCall>& ControlCalls() {
    return Host().records.controlCalls;
}

// ---- The user's side ---------------------------------------------------------------------------

const HostPanel& PanelAt(PanelSide side) {
    return PanelOn(side);
}

PanelSide ActivePanel() {
    return Host().active;
}

void SetActivePanel(PanelSide side) {
    Host().active = side;
}

void ShowFolder(PanelSide side, const Text& folder) {
    HostPanel& panel = PanelOn(side);
    if (panel.plugin != nullptr && Host().loaded) {
        PopPlugin(panel);
    }
    panel = HostPanel();
    panel.folder = folder;
}

HANDLE OpenInActivePanel(size_t menuItem) {
    return OpenFromMenu(&PluginInfoCopy::pluginMenu, menuItem, far3::OPEN_PLUGINSMENU,
                        Host().active);
}

HANDLE OpenFromDiskMenu(PanelSide side, size_t menuItem) {
    far3::OPENFROM from = side == kLeftPanel ? far3::OPEN_LEFTDISKMENU : far3::OPEN_RIGHTDISKMENU;
    return OpenFromMenu(&PluginInfoCopy::diskMenu, menuItem, from, side);
}

HANDLE TypeCommand(const Text& command) {
    HostState& host = Host();
    size_t colon = command.find(':');
    if (!host.loaded || colon == Text::npos || colon < 2) {
        return nullptr; // no prefix, or a drive letter
    }
    const Text typed = command.substr(0, colon);
    const Text& prefixes = host.pluginInfo.commandPrefix;
    bool matched = false;
    for (size_t start = 0; start <= prefixes.size() && !matched;) {
        size_t end = std::min(prefixes.find(':', start), prefixes.size());
        matched = end > start && EqualIgnoringCase(prefixes.substr(start, end - start), typed);
        start = end + 1;
    }
    if (!matched) {
        return nullptr;
    }
    const Text line =
        (host.pluginInfo.flags & far3::PF_FULLCMDLINE) != 0 ? command : command.substr(colon + 1);
    far3::OpenCommandLineInfo commandLine = {sizeof(far3::OpenCommandLineInfo), line.c_str()};
    const GUID noGuid{};
    HANDLE opened =
        CallOpen(far3::OPEN_COMMANDLINE, &noGuid, reinterpret_cast<intptr_t>(&commandLine), line);
    if (opened != nullptr) {
        ShowOpened(host.active, opened);
    }
    return opened;
}

const std::vector<ListedItem>& ListPanel(PanelSide side) {
    HostPanel& panel = PanelOn(side);
    if (Host().loaded) {
        ReadItems(panel, true);
    }
    return panel.items;
}

void RedrawPanel(PanelSide side) {
    if (Host().loaded) {
        FetchOpenPanelInfo(PanelOn(side));
    }
}

void SelectItems(const std::vector<size_t>& indices) {
    HostState& host = Host();
    HostPanel& panel = host.panels[host.active];
    for (ListedItem& item : panel.items) {
        item.selected = false;
    }
    for (size_t index : indices) {
        if (index < panel.items.size() && !panel.items[index].isDots) {
            panel.items[index].selected = true;
        }
    }
}

void SetCursor(size_t index) {
    HostState& host = Host();
    HostPanel& panel = host.panels[host.active];
    panel.cursor = panel.items.empty() ? 0 : std::min(index, panel.items.size() - 1);
}

intptr_t PressKey(WORD virtualKeyCode, DWORD controlKeyState) {
    HostPanel* panel = ActivePluginPanel();
    if (panel == nullptr) {
        return 0;
    }
    HANDLE shown = panel->plugin;
    far3::ProcessPanelInputInfo input = InfoFor<far3::ProcessPanelInputInfo>(shown);
    input.Rec.EventType = KEY_EVENT;
    input.Rec.Event.KeyEvent.bKeyDown = TRUE;
    input.Rec.Event.KeyEvent.wRepeatCount = 1;
    input.Rec.Event.KeyEvent.wVirtualKeyCode = virtualKeyCode;
    input.Rec.Event.KeyEvent.dwControlKeyState = controlKeyState & kKeyStateBits;
    Record(Call::ProcessPanelInput, shown, virtualKeyCode);
    intptr_t handled = Host().plugin.ProcessPanelInputW(&input);
    DWORD modifiers = controlKeyState & kModifierBits;
    if (handled != 0 || virtualKeyCode != VK_F8 || panel->plugin != shown ||
        (modifiers != 0 && modifiers != SHIFT_PRESSED)) {
        return handled;
    }
    FetchOpenPanelInfo(*panel);
    if (panel->plugin != shown || (panel->info.flags & far3::OPIF_REALNAMES) != 0) {
        return handled; // real files: FAR deletes them itself (not modelled)
    }
    DeleteItems(*panel, modifiers == SHIFT_PRESSED);
    ReadPluginPanels();
    return handled;
}

bool EnterDotDot() {
    HostPanel* panel = ActivePluginPanel();
    if (panel == nullptr) {
        return false;
    }
    HANDLE shown = panel->plugin;
    FetchOpenPanelInfo(*panel);
    if (panel->plugin != shown) {
        return true;
    }
    const Text& curDir = panel->info.curDir;
    if (curDir.empty() || curDir == FAR3_TEXT("\\")) {
        if (SendEvent(shown, far3::FE_CLOSE) == 0 && panel->plugin == shown) {
            PopPlugin(*panel);
        }
        return true;
    }
    ChangeDirectory(FAR3_TEXT(".."));
    return true;
}

intptr_t ChangeDirectory(const Text& directory) {
    HostPanel* panel = ActivePluginPanel();
    if (panel == nullptr) {
        return 0;
    }
    HANDLE shown = panel->plugin;
    far3::SetDirectoryInfo info = InfoFor<far3::SetDirectoryInfo>(shown);
    info.Dir = directory.c_str();
    Record(Call::SetDirectory, shown, 0, directory);
    intptr_t result = Host().plugin.SetDirectoryW(&info);
    if (result != 0 && panel->plugin == shown) {
        ReadItems(*panel, false);
    }
    return result;
}

intptr_t Configure(size_t menuItem) {
    HostState& host = Host();
    if (!host.loaded) {
        return 0;
    }
    const std::vector<GUID> guids = ReadPluginInfo().pluginConfig.guids;
    if (menuItem >= guids.size()) {
        return 0;
    }
    far3::ConfigureInfo info = {sizeof(far3::ConfigureInfo), &guids[menuItem], Instance()};
    Record(Call::Configure, nullptr, static_cast<intptr_t>(menuItem));
    intptr_t result = host.plugin.ConfigureW(&info);
    if (result != 0) {
        ReadPluginPanels();
        ReadPluginInfo();
    }
    return result;
}

void ExitFar() {
    HostState& host = Host();
    if (!host.loaded) {
        return;
    }
    for (HostPanel& panel : host.panels) {
        if (panel.plugin != nullptr) {
            PopPlugin(panel);
        }
    }
    far3::ExitInfo info = {sizeof(far3::ExitInfo), Instance()};
    Record(Call::ExitFar, nullptr, 0);
    host.plugin.ExitFARW(&info);
    host.loaded = false;
}

void KillFar() {
    HostState& host = Host();
    for (HostPanel& panel : host.panels) {
        panel.plugin = nullptr;
        panel.items.clear();
    }
    host.loaded = false;
}

} // namespace far3host
