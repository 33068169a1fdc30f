// The FAR 3 demo: Velumo.dll of the native FAR 3 (Unicode) front end in the FAR 3 stand-in
// (far3host), which keeps FAR's two panels and orders the plug-in's calls as FAR 3 does. Window
// titles are UTF-16 end to end: the windows are made with UTF-16 titles, the panel lists them
// as they are, and the pictures convert them to UTF-8. The settings live in the stand-in's own
// store, which starts empty (the defaults) and goes with the process.
#include "far3_view.h"
#include "velumo_demo.h"

namespace demo {
namespace {

using far3host::Text;

constexpr wchar_t kJapaneseNote[] = L"日本語のメモ 🙂";
constexpr wchar_t kReport[] = L"Отчёт";
constexpr wchar_t kHideJapanese[] = L"日本語"; // typed after "hide:"
constexpr size_t kNoItem = static_cast<size_t>(-1);
constexpr int kTitleCapacity = 256; // the sample titles are far shorter

std::string g_menuEntry;

std::string Utf8Of(const Text& text) {
    return far3host::ToUtf8(text);
}

// Typed text as the output shows it (no control characters get through).
std::string Shown(const Text& text) {
    return panelview::ToUtf8(panelview::ToScreenText(Utf8Of(text)));
}

HWND WindowOf(const far3host::ListedItem& item) {
    return reinterpret_cast<HWND>(item.userData.Data);
}

// ---- The desktop ------------------------------------------------------------------------------

const DWORD kShown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
const std::vector<Sample> kSamples = {
    {Utf8Of(kJapaneseNote), "visible; Japanese and an emoji", kShown},
    {Utf8Of(kReport), "visible; Cyrillic", kShown},
    {"Palette", "pop-up window owned by Report one", WS_POPUP | WS_CAPTION | WS_VISIBLE,
     "Report one"},
    {"Report one", "visible", kShown},
    {"Final Report", "visible", kShown},
    {"Café notes", "visible; a Latin letter outside ASCII", kShown},
    {"Background worker", "never shown", WS_OVERLAPPEDWINDOW},
    {"Program Manager", "visible; the title of the desktop's own window on Windows", kShown},
    {"Untitled - Notepad", "visible; the window of another program, Wine's notepad.exe", kShown,
     nullptr, "notepad.exe"},
};

// ---- What the user sees -----------------------------------------------------------------------

const far3host::HostPanel& ActivePanel() {
    return far3host::PanelAt(far3host::ActivePanel());
}

// The Velumo instance the active panel shows; null while it is a file panel.
HANDLE ActiveVelumo() {
    return ActivePanel().plugin;
}

size_t ItemIndex(HWND window) {
    const std::vector<far3host::ListedItem>& items = ActivePanel().items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].isDots && WindowOf(items[i]) == window) {
            return i;
        }
    }
    return kNoItem;
}

} // namespace

// Rereads and draws the active panel, with FAR's cursor on `cursor` when it is listed (else
// where FAR keeps it: on the same name after a reread, on ".." in a new panel).
void ShowPanel(HWND cursor) {
    far3host::ListPanel(far3host::ActivePanel());
    if (cursor != nullptr && ItemIndex(cursor) != kNoItem) {
        far3host::SetCursor(ItemIndex(cursor));
    }
    const far3host::HostPanel& panel = ActivePanel();
    std::vector<far3host::ListedItem> shown;
    std::vector<ShownRow> rows;
    panelview::PanelViewOptions options;
    size_t leftOut = 0;
    for (size_t i = 0; i < panel.items.size(); ++i) {
        const far3host::ListedItem& item = panel.items[i];
        if (!item.isDots && !IsSample(WindowOf(item))) {
            ++leftOut;
            continue;
        }
        shown.push_back(item);
        if (!item.isDots) {
            const std::vector<Text>& columns = item.customColumns;
            rows.push_back(ShownRow{WindowOf(item), columns.empty() ? "" : Utf8Of(columns[0])});
        }
        if (i == panel.cursor && !item.isDots) {
            options.currentItem = static_cast<int>(rows.size());
        }
    }
    options.width = panelview::kDefaultScreenWidth;
    Write(panelview::RenderPanel(far3host::DescribePanel(panel.info, shown), options));
    KeepPicture(rows, leftOut);
}

// The item's FileName is the window's title as Windows holds it (GetWindowTextW) and as the
// demo made it, to the last UTF-16 unit.
void CheckListedExactly(const std::string& utf8) {
    const Text title = ToWide(utf8, CP_UTF8); // as the demo made the window
    const HWND window = SampleNamed(utf8);
    const size_t index = ItemIndex(window);
    wchar_t held[kTitleCapacity];
    const int length = GetWindowTextW(window, held, kTitleCapacity);
    const bool exact = index != kNoItem && ActivePanel().items[index].fileName == title &&
                       Text(held, static_cast<size_t>(length > 0 ? length : 0)) == title;
    Check("FileName of \"" + utf8 + "\" = GetWindowTextW of its window, " +
              std::to_string(title.size()) + " UTF-16 units: " + (exact ? "yes" : "no"),
          exact);
    // The Program column names the program the window belongs to; the description has its path.
    if (index == kNoItem) {
        return;
    }
    const far3host::ListedItem& item = ActivePanel().items[index];
    const std::string program =
        item.customColumns.size() > 2 ? Utf8Of(item.customColumns[2]) : "(none)";
    Check("program of \"" + utf8 + "\" = " + program + ", " +
              (item.description ? Utf8Of(*item.description) : "(no path)"),
          program == ProgramOfSample(window));
}

// ---- What the host does for the user's keys -----------------------------------------------------

// FAR's command line, typed in the active panel: "hide:" and the text (UTF-8 in the script) opens
// Velumo with the text after the colon, UTF-16 as typed. When the active panel shows
// Velumo, FAR opens the new instance first, then closes the old one.
bool HideCommand(const std::string& utf8) {
    const Text text = ToWide(utf8, CP_UTF8);
    HANDLE previous = ActiveVelumo();
    far3host::ClearRecords();
    HANDLE opened = nullptr;
    Watched([&] { opened = far3host::TypeCommand(L"hide:" + text); });
    if (opened == nullptr) {
        Write("Velumo did not open its panel.\n");
        return false;
    }
    Text received;
    bool closedPrevious = false;
    for (const far3host::PluginCall& call : far3host::PluginCalls()) {
        received = call.call == far3host::Call::Open ? call.text : received;
        closedPrevious =
            closedPrevious || (call.call == far3host::Call::ClosePanel && call.panel == previous);
    }
    Write("   hide:" + Shown(text) + ": OpenW(OPEN_COMMANDLINE, \"" + Shown(received) + "\")" +
          (closedPrevious ? ", then ClosePanelW of the panel's previous instance" : "") + "\n");
    if (previous != nullptr && !closedPrevious) {
        Check("the panel's previous instance was not closed", false);
    }
    return true;
}

// F8 on the windows, selected: FAR offers the key to the plug-in first, then hands the selected
// items to DeleteFilesW.
void PressF8(const std::vector<HWND>& windows) {
    std::vector<size_t> selection;
    for (HWND window : windows) {
        if (ItemIndex(window) != kNoItem) {
            selection.push_back(ItemIndex(window));
        }
    }
    far3host::SelectItems(selection);
    if (!selection.empty()) {
        far3host::SetCursor(selection[0]);
    }
    Watched([&] { far3host::PressKey(VK_F8, 0); });
}

// F3 with nothing selected and the cursor on the window: the plug-in asks FAR for the item under
// the cursor.
void PressF3(HWND window) {
    if (ItemIndex(window) == kNoItem) {
        return;
    }
    far3host::SelectItems({});
    far3host::SetCursor(ItemIndex(window));
    Watched([] { far3host::PressKey(VK_F3, 0); });
}

// The plug-in's configuration from F9 > Options > Plugins configuration; the simulated user
// closes the dialog with Esc.
void ShowConfiguration() {
    far3host::ClearRecords();
    size_t storedBefore = far3host::StoredSettings().size();
    intptr_t result = far3host::Configure(0);
    if (far3host::DialogCalls().empty()) {
        Check("Velumo showed no dialog.", false);
        return;
    }
    const far3host::DialogCall& call = far3host::DialogCalls().back();
    Write(panelview::RenderDialog(far3host::DescribeDialog(call.items), static_cast<int>(call.x2),
                                  static_cast<int>(call.y2)));
    bool nothingSaved = result == 0 && far3host::StoredSettings().size() == storedBefore;
    Check("DialogInit(" + std::to_string(call.x1) + ", " + std::to_string(call.y1) + ", " +
              std::to_string(call.x2) + ", " + std::to_string(call.y2) + ", \"" +
              Utf8Of(call.helpTopic) + "\", " + std::to_string(call.items.size()) +
              " items); Esc; ConfigureW returned " + std::to_string(result) +
              (nothingSaved ? ": nothing saved" : ": settings written") +
              (call.freed ? "" : "; the dialog was never freed"),
          nothingSaved && call.freed);
}

std::string FilePanelText() {
    const far3host::HostPanel& filePanel = ActivePanel();
    return filePanel.driveMenuShown ? std::string("the Change drive menu")
                                    : Utf8Of(filePanel.folder);
}

// Enter on "..": the panel has a directory of its own, so FAR calls SetDirectoryW(".."), and
// Velumo asks FAR to close the panel; FAR shows the folder the panel had before Velumo opened.
std::string LeavePanel() {
    HANDLE panel = ActiveVelumo();
    far3host::ClearRecords();
    Watched([] { far3host::EnterDotDot(); });
    bool setDirectory = false;
    for (const far3host::PluginCall& call : far3host::PluginCalls()) {
        setDirectory =
            setDirectory || (call.call == far3host::Call::SetDirectory && call.text == L"..");
    }
    for (const far3host::ControlCall& call : far3host::ControlCalls()) {
        if (call.hPanel == panel && call.command == far3::FCTL_CLOSEPANEL &&
            ActiveVelumo() == nullptr) {
            return std::string(setDirectory ? "SetDirectoryW(\"..\"); " : "") +
                   "Velumo asked FAR to close the panel (FCTL_CLOSEPANEL, " +
                   (call.hasParam2 ? "\"" + Utf8Of(call.directory) + "\"" : "no directory") +
                   "); ClosePanelW";
        }
    }
    return "";
}

// F11 in the active panel and Velumo's entry in the plug-ins menu.
bool OpenFromMenu() {
    return far3host::OpenInActivePanel(0) != nullptr;
}

HWND MakeWindow(const std::string& utf8, DWORD style, HWND owner) {
    return harness::MakeWindowW(ToWide(utf8, CP_UTF8), style, owner);
}

namespace {

// ---- The scripted run ---------------------------------------------------------------------------

std::vector<Step> Script() {
    const std::string japanese = Utf8Of(kJapaneseNote);
    const std::string report = Utf8Of(kReport);
    const std::string typed = Utf8Of(kHideJapanese);
    return {
        {"F11 > \"" + g_menuEntry +
             "\": the desktop's windows, each title exactly as Windows holds it and the program "
             "it belongs to; the owned pop-up and the never-shown window are left out",
         "list", "",
         "exact:" + japanese + ";exact:" + report + ";exact:Untitled - Notepad;status:" + japanese +
             "=    ;unlisted:Palette=Background worker"},
        {"type hide:" + typed + " in the Velumo panel: " + japanese +
             " is hidden (status \"H  D\"); FAR closes the old instance",
         "hide " + typed, "",
         "hidden:" + japanese + ";status:" + japanese + "=H  D;visible:" + report},
        {"Insert on Final Report and " + report + ", then F8: Velumo hides both (status \"H  D\")",
         "f8 Final Report|" + report, "",
         "hidden:Final Report;hidden:" + report + ";status:Final Report=H  D;status:" + report +
             "=H  D;status:" + japanese + "=H  D"},
        {"F3 on the hidden " + report +
             ": shown and brought to the front, still Velumo's (\"   D\")",
         "f3 " + report, "",
         "visible:" + report + ";front:" + report + ";status:" + report +
             "=   D;hidden:" + japanese},
        {"F9 > Options > Plugins configuration > Velumo: the configuration dialog (FAR 3 picks "
         "the disks-menu hot key itself: no digit row)",
         "config", "", "hidden:" + japanese},
        {std::string("Enter on \"..\": the panel closes, FAR shows ") + kStartFolder +
             " again, and the windows Velumo hid are shown again",
         "close", "", "visible:" + japanese + ";visible:Final Report"},
    };
}

} // namespace

int RunFar3Demo(const std::string& dllPath, const std::string& desktop) {
    if (!MakeSamples(kSamples)) {
        return 1;
    }
    const Text modulePath = ToWide(dllPath, CP_ACP);
    far3host::PluginExports plugin;
    std::string error;
    if (!far3host::LoadPlugin(modulePath, &plugin, &error)) {
        fprintf(stderr, "velumo_demo: %s: %s\n", dllPath.c_str(), error.c_str());
        return 1;
    }
    const std::string languagePath =
        dllPath.substr(0, dllPath.find_last_of("\\/") + 1) + "VelumoEng.lng";
    far3host::LanguageFile language;
    if (!far3host::LoadLanguageFile(languagePath, &language)) {
        fprintf(stderr, "velumo_demo: cannot read %s\n", languagePath.c_str());
        return 1;
    }
    if (!far3host::Start(plugin, language.messages, {}, modulePath)) {
        fprintf(stderr, "velumo_demo: FAR 3 would not load %s\n", dllPath.c_str());
        return 1;
    }
    far3host::ShowFolder(far3host::kLeftPanel, ToWide(kStartFolder, CP_ACP));
    far3host::PluginInfoCopy pluginInfo = far3host::ReadPluginInfo();
    g_menuEntry = pluginInfo.pluginMenu.strings.empty() ? std::string("?")
                                                        : Utf8Of(pluginInfo.pluginMenu.strings[0]);

    const std::string hostLine =
        "Velumo demo: " + dllPath + " (" + (sizeof(void*) == 8 ? "x86_64" : "i686") +
        " build), the native FAR 3 plug-in, in a FAR 3 host stand-in, with " +
        std::to_string(language.messages.size()) + " messages from VelumoEng.lng.";
    return RunAndFinish(hostLine, desktop, Script(), [] { far3host::ExitFar(); });
}

} // namespace demo
