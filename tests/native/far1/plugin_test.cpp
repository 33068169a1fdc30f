// Velumo's FAR 1.x entry points driven through the host stand-in.
#include "far1/entry_points.h"
#include "far1/host_services.h"
#include "far1/panel_items.h"
#include "far1/panel_presentation.h"
#include "far1_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// An item value that faults when read as an address: only a command line passes a text.
constexpr intptr_t kUnreadableItem = 0x10;

// The host's records are packed: their fields are read by value, never bound to a reference.
template <typename T> T Field(T value) {
    return value;
}

bool IsHandle(HANDLE plugin) {
    return plugin != nullptr && plugin != INVALID_HANDLE_VALUE;
}

class EntryPoints : public Far1Test {
  protected:
    static const far1host::PluginExports& Far() { return far1host::Plugin(); }
    // The text the host hands out for an id, the very pointer the plug-in is given.
    static const char* Msg(int id) {
        return far1::HostServices.GetMsg(far1host::kModuleNumber, id);
    }

    static HANDLE Open() {
        HANDLE panel = Far().OpenPlugin(far1::OPEN_PLUGINSMENU, kUnreadableItem);
        EXPECT_TRUE(IsHandle(panel));
        return panel;
    }
    // "<status> <title>" of each item a fresh listing shows.
    static std::vector<std::string> Listing(HANDLE panel) {
        std::vector<std::string> lines;
        for (const auto& item : far1host::ListPanel(panel)) {
            lines.push_back(item.status + " " + item.title);
        }
        return lines;
    }
    static void Toggle(HANDLE panel, std::vector<HWND> windows) {
        std::vector<far1::PluginPanelItem> items;
        for (HWND window : windows) {
            items.push_back(PanelItemFor(window));
        }
        EXPECT_EQ(1, Far().DeleteFiles(panel, items.data(), static_cast<int>(items.size()), 0));
    }
    // Commands of the Control calls since the last ClearRecords, each checked for the handle
    // and, but for FCTL_CLOSEPLUGIN, for the parameter.
    static std::vector<int> Commands(HANDLE panel) {
        std::vector<int> commands;
        for (const auto& call : far1host::ControlCalls()) {
            EXPECT_EQ(panel, call.plugin);
            if (call.command != far1::FCTL_CLOSEPLUGIN) {
                EXPECT_EQ(call.command == far1::FCTL_GETPANELINFO, call.hasParam)
                    << "command " << call.command;
            }
            commands.push_back(call.command);
        }
        return commands;
    }
};

TEST_F(EntryPoints, TheHostsRootKeyDecidesWhereTheSettingsLive) {
    const std::string longRoot = "Software\\Far\\Users\\" + std::string(90, 'u') + "\\Plugins";
    simwin::SeedRegistryValue(longRoot + "\\Velumo", "ShowOwnerWindow", REG_DWORD, {1, 0, 0, 0});
    far1host::Start(far1host::LinkedPlugin(), messages_, longRoot);
    EXPECT_EQ(1, g_settings.ShowOwnerWindow);
    far1host::QueueDialogAnswer(far1host::DialogAnswer{kFar1ConfigDialog.OkRow, {}, {}});
    EXPECT_EQ(1, Far().Configure(0));
    ASSERT_EQ(static_cast<size_t>(kSettingCount), simwin::RegistryWrites().size());
    for (const auto& write : simwin::RegistryWrites()) {
        EXPECT_EQ(longRoot + "\\Velumo", write.keyPath);
    }

    // Without a root key nothing is read and nothing is written; the dialog still works.
    far1host::Start(far1host::LinkedPlugin(), messages_, "", "Velumo.dll", true);
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    far1host::QueueDialogAnswer(
        far1host::DialogAnswer{kFar1ConfigDialog.OkRow,
                               {{DialogRowOf(kFar1ConfigDialog, &Settings::ShowOwnerWindow), 1}},
                               {}});
    EXPECT_EQ(1, Far().Configure(0));
    EXPECT_EQ(1, g_settings.ShowOwnerWindow);
    EXPECT_EQ(static_cast<size_t>(kSettingCount), simwin::RegistryWrites().size());
}

TEST_F(EntryPoints, GetPluginInfoFollowsTheDisksMenuSettings) {
    far1::PluginInfo info;
    const int32_t cases[][3] = {{0, 9, 0}, {5, 0, 1}, {1, 12, 1}, {0, 0, 0}}; // add, digit, count
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << ", " << c[1]);
        g_settings.AddToDisksMenu = c[0];
        g_settings.DisksMenuDigit = c[1];
        memset(&info, 0, sizeof(info));
        Far().GetPluginInfo(&info);
        EXPECT_EQ(c[2], Field(info.DiskMenuStringsNumber));
        ASSERT_NE(nullptr, Field(info.DiskMenuStrings)); // filled also when not offered
        EXPECT_EQ(Msg(4), Field(info.DiskMenuStrings)[0]);
        EXPECT_EQ(c[1], Field(info.DiskMenuNumbers)[0]);
    }
}

// One letter per label of a key-bar group (0 F-keys, 1 Ctrl, 2 Alt, 3 Shift, 4 Ctrl+Shift,
// 5 Alt+Shift, 6 Ctrl+Alt): n null, e empty, L the F8 label, ? anything else.
std::string Labels(const far1::KeyBarTitles* bar, int group, const char* f8) {
    const char* labels[7][12];
    static_assert(sizeof(labels) == sizeof(far1::KeyBarTitles), "seven groups of twelve labels");
    memcpy(labels, bar, sizeof(labels));
    std::string letters;
    for (const char* label : labels[group]) {
        letters += label == nullptr ? 'n' : label == f8 ? 'L' : label[0] == '\0' ? 'e' : '?';
    }
    return letters;
}

TEST_F(EntryPoints, GetOpenPluginInfoLabelsOnlyItsKeysAndLeavesTheRestToTheHost) {
    HANDLE panel = Open();
    far1::OpenPluginInfo info;
    memset(&info, 0xA5, sizeof(info));
    Far().GetOpenPluginInfo(panel, &info);
    ASSERT_NE(nullptr, Field(info.KeyBar));
    EXPECT_EQ("nnneeeeLnnnn", Labels(Field(info.KeyBar), 0, Msg(5)));
    EXPECT_EQ("nnnnnnnnnnnn", Labels(Field(info.KeyBar), 1, Msg(5)));
    EXPECT_EQ("nnneeennnnnn", Labels(Field(info.KeyBar), 2, Msg(5)));
    EXPECT_EQ("eeeeeeeennnn", Labels(Field(info.KeyBar), 3, Msg(5)));
    for (int group : {4, 5, 6}) { // the host reads these too: they must leave its own labels
        EXPECT_EQ("nnnnnnnnnnnn", Labels(Field(info.KeyBar), group, Msg(5))) << "group " << group;
    }
    Far().ClosePlugin(panel);
}

TEST_F(EntryPoints, ALongPanelTitleIsCutToItsBuffer) {
    std::vector<std::string> longMessages = messages_;
    longMessages[6] = std::string(3 * kPanelTitleCapacity, 'w');
    far1host::Start(far1host::LinkedPlugin(), longMessages, kFarPluginsRoot);
    HANDLE panel = Open();
    far1::OpenPluginInfo info;
    Far().GetOpenPluginInfo(panel, &info);
    EXPECT_EQ((" " + longMessages[6] + " ").substr(0, kPanelTitleCapacity - 1),
              Field(info.PanelTitle));
    EXPECT_EQ(Msg(6), Field(info.Format)) << "the format name is passed on whole";
    Far().ClosePlugin(panel);
}

// A minimal host for a fresh process: its GetMsg looks at the key bar handed over so far, so
// the F8 label can be seen before the first GetOpenPluginInfo has set it.
const far1::OpenPluginInfo* g_watchedInfo = nullptr;
bool g_keyBarSeen = false;
const char* g_f8LabelAtLoad = nullptr;
const char kLabel[] = "label";

const char* WINAPI WatchingGetMsg(intptr_t, int) {
    if (!g_keyBarSeen && g_watchedInfo != nullptr && g_watchedInfo->KeyBar != nullptr) {
        g_keyBarSeen = true;
        g_f8LabelAtLoad = g_watchedInfo->KeyBar->Titles[7];
    }
    return kLabel;
}

void CheckF8LabelAtLoadAndExit() {
    far1::PluginStartupInfo host;
    memset(&host, 0, sizeof(host));
    host.StructSize = sizeof(host);
    host.RootKey = kFarPluginsRoot;
    host.GetMsg = WatchingGetMsg;
    SetStartupInfo(&host);
    HANDLE panel = OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
    far1::OpenPluginInfo info;
    memset(&info, 0, sizeof(info));
    g_watchedInfo = &info;
    GetOpenPluginInfo(panel, &info);
    ClosePlugin(panel);
    if (!g_keyBarSeen) {
        fprintf(stderr, "no text was fetched after the key bar was handed over\n");
        exit(3);
    }
    if (g_f8LabelAtLoad != nullptr) {
        fprintf(stderr, "F8 label before the first call: \"%s\"\n", g_f8LabelAtLoad);
        exit(1);
    }
    exit(info.KeyBar->Titles[7] == kLabel ? 0 : 2);
}

TEST(KeyBarDeathTest, F8LabelIsNullUntilTheFirstGetOpenPluginInfo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a new process: the records as loaded
    EXPECT_EXIT(CheckF8LabelAtLoadAndExit(), ::testing::ExitedWithCode(0), "");
}

TEST_F(EntryPoints, OpenPluginFromTheMenusNeverReadsTheItem) {
    const HWND window = simwin::CreateTestWindow("Editor");
    for (int from :
         {far1::OPEN_DISKMENU, far1::OPEN_PLUGINSMENU, far1::OPEN_FINDLIST, far1::OPEN_SHORTCUT}) {
        HANDLE panel = Far().OpenPlugin(from, kUnreadableItem);
        EXPECT_TRUE(IsHandle(panel)) << from;
        Far().ClosePlugin(panel);
    }
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(0u, simwin::Calls().showWindow);
}

TEST_F(EntryPoints, AnEmptyListingIsANullArrayAndFreeingANullArrayDoesNothing) {
    HANDLE panel = Open();
    far1::PluginPanelItem stale[1];
    far1::PluginPanelItem* items = stale;
    int count = 5;
    EXPECT_EQ(1, Far().GetFindData(panel, &items, &count, 0));
    EXPECT_EQ(nullptr, items);
    EXPECT_EQ(0, count);

    Far().FreeFindData(panel, nullptr, 3); // a null array frees nothing
    Far().ClosePlugin(panel);
}

TEST_F(EntryPoints, DeleteFilesTogglesEachItemInOrder) {
    const HWND a = simwin::CreateTestWindow("A"), b = simwin::CreateTestWindow("B");
    const HWND c = simwin::CreateTestWindow("C");
    HANDLE panel = Open();
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    ASSERT_EQ(1, Far().GetFindData(panel, &items, &count, 0));
    ASSERT_EQ(3, count); // C, B, A: top of the z-order first
    EXPECT_EQ(1, Far().DeleteFiles(panel, items, count, 0));
    EXPECT_EQ((std::vector<HWND>{c, b, a}),
              (std::vector<HWND>{g_hiddenWindows.SlotAt(0), g_hiddenWindows.SlotAt(1),
                                 g_hiddenWindows.SlotAt(2)}));
    EXPECT_FALSE(IsWindowVisible(a) || IsWindowVisible(b) || IsWindowVisible(c));

    EXPECT_EQ(1, Far().DeleteFiles(panel, items, count, 0x10)); // the mode is ignored
    EXPECT_TRUE(IsWindowVisible(a) && IsWindowVisible(b) && IsWindowVisible(c));
    EXPECT_EQ((std::vector<HWND>{a, b, c}), simwin::ZOrder()) << "shown again in item order";
    EXPECT_EQ(0, g_hiddenWindows.Contains(a) + g_hiddenWindows.Contains(b) +
                     g_hiddenWindows.Contains(c));
    Far().FreeFindData(panel, items, count);

    simwin::ResetCallCounts();
    far1::PluginPanelItem one[1] = {PanelItemFor(a)};
    EXPECT_EQ(1, Far().DeleteFiles(panel, one, 0, 0));
    EXPECT_EQ(1, Far().DeleteFiles(panel, one, -1, 0));
    EXPECT_EQ(1, Far().DeleteFiles(panel, nullptr, 2, 0));
    EXPECT_EQ(0u, simwin::Calls().showWindow + simwin::Calls().isWindowVisible);
    Far().ClosePlugin(panel);
}

// F3 and Alt+F3 activate the first selected window (one Velumo hid is shown but stays recorded);
// without a selection, or when the host fails every request, nothing is activated. The panel is
// redrawn all the same.
TEST_F(EntryPoints, F3AndAltF3ActivateTheFirstSelectedWindow) {
    struct Case {
        unsigned state;
        bool selected, hostFails;
    };
    for (const Case& c : {Case{0, true, false}, Case{far1::PKF_ALT, true, false},
                          Case{0, false, false}, Case{far1::PKF_ALT, true, true}}) {
        SCOPED_TRACE(testing::Message() << c.state << c.selected << c.hostFails);
        const HWND first = simwin::CreateTestWindow("First");
        const HWND second = simwin::CreateTestWindow("Second");
        HANDLE panel = Open();
        Toggle(panel, {first});
        far1host::SetPanelSelection(
            c.selected
                ? std::vector<far1::PluginPanelItem>{PanelItemFor(first), PanelItemFor(second)}
                : std::vector<far1::PluginPanelItem>{});
        far1host::SetControlResult(c.hostFails ? 0 : 1);
        far1host::ClearRecords();
        simwin::ResetCallCounts();
        EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, c.state));
        const bool activated = c.selected && !c.hostFails;
        EXPECT_EQ(activated ? first : nullptr, simwin::ForegroundWindow());
        EXPECT_EQ(activated, IsWindowVisible(first) != FALSE);
        EXPECT_EQ(activated ? first : second, simwin::ZOrder().front());
        EXPECT_EQ(1, g_hiddenWindows.Contains(first));
        EXPECT_EQ(activated ? 1u : 0u, simwin::Calls().setForegroundWindow);
        EXPECT_EQ(activated ? 1u : 0u, simwin::Calls().showWindow);
        EXPECT_EQ((std::vector<int>{far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL,
                                    far1::FCTL_REDRAWPANEL}),
                  Commands(panel));
        Far().ClosePlugin(panel);
        ResetProcessState();
        StartFar1();
    }
}

TEST_F(EntryPoints, OtherKeysAndControlStatesAreLeftToTheHost) {
    const HWND window = simwin::CreateTestWindow("W");
    HANDLE panel = Open();
    far1host::SetPanelSelection({PanelItemFor(window)});
    for (unsigned state : {1u, 3u, 4u, 8u, 0x10u, 0xFFFFFFFFu}) {
        EXPECT_EQ(0, far1host::PressKey(panel, VK_F3, state)) << state;
    }
    for (int key : {0x70, 0x71, 0x73, 0x77, int('A'), VK_F3 + 0x100}) {
        EXPECT_EQ(0, far1host::PressKey(panel, key, 0)) << key;
        EXPECT_EQ(0, far1host::PressKey(panel, key, far1::PKF_ALT)) << key;
    }
    EXPECT_TRUE(far1host::ControlCalls().empty());
    EXPECT_EQ(nullptr, simwin::ForegroundWindow());
    Far().ClosePlugin(panel);
}

TEST_F(EntryPoints, SetDirectoryLeavesThePanelForAnythingButTheRoot) {
    HANDLE panel = Open();
    EXPECT_EQ(0, Far().SetDirectory(panel, "\\", 0));
    EXPECT_TRUE(far1host::ControlCalls().empty());
    // ".." closes the panel without a directory, so that FAR stays where the user came from.
    EXPECT_EQ(1, Far().SetDirectory(panel, "..", 0));
    EXPECT_EQ((std::vector<int>{far1::FCTL_CLOSEPLUGIN}), Commands(panel));
    EXPECT_FALSE(far1host::ControlCalls().at(0).hasParam);
    // Any other directory is passed on.
    for (const char* directory : {"/", "\\\\", "Velumo", "C:\\", "...", "..\\Temp", "C:\\Temp"}) {
        far1host::ClearRecords();
        EXPECT_EQ(1, Far().SetDirectory(panel, directory, 1)) << directory;
        EXPECT_EQ((std::vector<int>{far1::FCTL_CLOSEPLUGIN}), Commands(panel));
        EXPECT_TRUE(far1host::ControlCalls().at(0).hasParam) << directory;
        EXPECT_EQ(directory, far1host::ControlCalls().at(0).directory);
    }
    far1host::ClearRecords();
    for (int opMode : {int(far1::OPM_FIND), far1::OPM_FIND | 1, far1::OPM_FIND | 0x10}) {
        EXPECT_EQ(0, Far().SetDirectory(panel, "..", opMode)) << opMode;
        EXPECT_EQ(0, Far().SetDirectory(panel, "\\", opMode)) << opMode;
    }
    EXPECT_TRUE(far1host::ControlCalls().empty());
    Far().ClosePlugin(panel);
}

// Only panels that exist count: a null or invalid handle closes nothing, ExitFAR does nothing,
// and an OpenPlugin whose panel could not be allocated opens nothing.
TEST_F(EntryPoints, TheWindowsComeBackWhenTheLastOpenPanelCloses) {
    const HWND a = simwin::CreateTestWindow("A"), b = simwin::CreateTestWindow("B");
    const HWND other = simwin::CreateTestWindow("Hidden by another program", false);
    HANDLE first = Open(), second = Open();
    EXPECT_NE(first, second);
    Toggle(first, {a});
    Toggle(second, {b});
    EXPECT_EQ("H  D", far1host::ListPanel(first).at(0).status) << "B, hidden through the other";
    heapcalls::FailNthCall(heapcalls::Call::NothrowNew, 1);
    EXPECT_EQ(INVALID_HANDLE_VALUE, far1host::OpenFromCommandLine("A"));
    heapcalls::ClearFailures();
    EXPECT_FALSE(IsWindowVisible(a)) << "a failed OpenPlugin toggled windows";
    HANDLE third = Open();
    simwin::ResetCallCounts();
    Far().ClosePlugin(nullptr);
    Far().ClosePlugin(INVALID_HANDLE_VALUE);
    Far().ExitFAR();
    EXPECT_EQ(0u, simwin::Calls().enumWindows + simwin::Calls().showWindow);
    for (HANDLE panel : {second, first}) {
        Far().ClosePlugin(panel);
        EXPECT_FALSE(IsWindowVisible(a) || IsWindowVisible(b));
        EXPECT_EQ(2, g_hiddenWindows.Contains(a) + g_hiddenWindows.Contains(b));
    }
    EXPECT_EQ(2u, far1host::ListPanel(third).size());
    EXPECT_EQ("H  D", far1host::ListPanel(third).at(0).status);
    Far().ClosePlugin(third);
    EXPECT_TRUE(IsWindowVisible(a) && IsWindowVisible(b));
    EXPECT_FALSE(IsWindowVisible(other));
    EXPECT_EQ(0, g_hiddenWindows.Contains(a) + g_hiddenWindows.Contains(b));

    // With ShowAllWindowAtExit 0 not even the last close restores; any non-zero value does.
    g_settings.ShowAllWindowAtExit = 0;
    first = Open();
    second = Open();
    Toggle(first, {a});
    Far().ClosePlugin(first);
    Far().ClosePlugin(second);
    EXPECT_FALSE(IsWindowVisible(a));
    EXPECT_EQ(a, g_hiddenWindows.SlotAt(0));
    g_settings.ShowAllWindowAtExit = 7;
    Far().ClosePlugin(Open());
    EXPECT_TRUE(IsWindowVisible(a));
    EXPECT_EQ(0, g_hiddenWindows.Contains(a));
}

// "hide:" typed in the Velumo panel: FAR opens the new instance before it closes the old one, so
// what either hid stays hidden until the last panel closes.
TEST_F(EntryPoints, HideTypedInTheVelumoPanelKeepsTheWindowsHidden) {
    const HWND notepad = simwin::CreateTestWindow("Untitled - Notepad");
    const HWND earlier = simwin::CreateTestWindow("Hidden earlier");
    HANDLE old = far1host::OpenInActivePanel(far1::OPEN_PLUGINSMENU);
    ASSERT_TRUE(IsHandle(old));
    Toggle(old, {earlier});

    HANDLE typed = far1host::TypeCommand("hide:Notepad");
    ASSERT_TRUE(IsHandle(typed));
    EXPECT_NE(old, typed);
    EXPECT_EQ(typed, far1host::PanelAt(far1host::kLeftPanel).plugin);
    EXPECT_FALSE(IsWindowVisible(notepad));
    EXPECT_FALSE(IsWindowVisible(earlier));
    EXPECT_EQ((std::vector<std::string>{"H  D Hidden earlier", "H  D Untitled - Notepad"}),
              Listing(typed));

    // Typed in the other panel, a file panel: the Velumo panel stays as it is.
    far1host::SetActivePanel(far1host::kRightPanel);
    HANDLE other = far1host::TypeCommand("hide:Notepad");
    ASSERT_TRUE(IsHandle(other));
    EXPECT_TRUE(IsWindowVisible(notepad));
    EXPECT_EQ(typed, far1host::PanelAt(far1host::kLeftPanel).plugin);
    EXPECT_EQ(other, far1host::PanelAt(far1host::kRightPanel).plugin);
    EXPECT_EQ(nullptr, far1host::TypeCommand("find:Notepad")) << "not Velumo's prefix";

    EXPECT_EQ(1, far1host::EnterDirectory(".."));
    EXPECT_EQ(nullptr, far1host::PanelAt(far1host::kRightPanel).plugin);
    EXPECT_FALSE(IsWindowVisible(earlier)) << "the left panel still lists it";
    far1host::SetActivePanel(far1host::kLeftPanel);
    EXPECT_EQ(1, far1host::EnterDirectory(".."));
    EXPECT_TRUE(IsWindowVisible(earlier));
    EXPECT_EQ(0, g_hiddenWindows.Contains(earlier));
    HANDLE empty = far1host::OpenFromCommandLine("");
    EXPECT_TRUE(IsHandle(empty)) << "an empty command toggles nothing but opens the panel";
    Far().ClosePlugin(empty);
}

// ".." leaves FAR's file panel in the folder Velumo was opened from, also at a drive root (no
// Change drive menu); a directory typed in the panel is where FAR goes.
TEST_F(EntryPoints, LeavingThePanelLandsInTheFolderItWasOpenedFrom) {
    struct Case {
        const char* folder;
        const char* directory;
        const char* landsIn;
    };
    for (const Case& c : {Case{"C:\\Work\\Velumo", "..", "C:\\Work\\Velumo"},
                          Case{"C:\\", "..", "C:\\"}, Case{"D:\\Projects", "C:\\Temp", "C:\\Temp"},
                          Case{"D:\\Projects", "Velumo", "D:\\Projects\\Velumo"}}) {
        SCOPED_TRACE(testing::Message() << c.folder << " " << c.directory);
        far1host::ShowFolder(far1host::kLeftPanel, c.folder);
        HANDLE panel = far1host::OpenInActivePanel(far1::OPEN_DISKMENU);
        ASSERT_TRUE(IsHandle(panel));
        EXPECT_EQ(0, far1host::EnterDirectory("\\")) << "the root stays in the panel";
        EXPECT_EQ(panel, far1host::PanelAt(far1host::kLeftPanel).plugin);
        EXPECT_EQ(1, far1host::EnterDirectory(c.directory));
        EXPECT_EQ(nullptr, far1host::PanelAt(far1host::kLeftPanel).plugin);
        EXPECT_EQ(c.landsIn, far1host::PanelAt(far1host::kLeftPanel).folder);
        EXPECT_FALSE(far1host::PanelAt(far1host::kLeftPanel).driveMenuShown);
    }
}

} // namespace
