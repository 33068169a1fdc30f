// The FAR 3 front end as FAR 3 loads it, and what it does with records it cannot use. Panels
// opened here through OpenW are unknown to the stand-in: a service call about one is an anomaly.
#include "core/open_panels.h"
#include "far3/entry_points.h"
#include "far3/guids.h"
#include "far3/host_services.h"
#include "far3_fixture.h"

#include <cstring>

namespace {

using far3host::Text;
using Far3Plugin = Far3Test;

HANDLE OpenDirectly() {
    far3::OpenInfo open = {sizeof(open), far3::OPEN_PLUGINSMENU, &far3::kPluginsMenuGuid, 0,
                           nullptr};
    return OpenW(&open);
}

void Close(HANDLE panel) {
    far3::ClosePanelInfo close = {sizeof(close), panel, nullptr};
    ClosePanelW(&close);
}

// A zeroed record, one byte smaller than Velumo's unless `whole`.
template <typename Record> Record Zeroed(bool whole = false) {
    Record record;
    memset(&record, 0, sizeof(record));
    record.StructSize = sizeof(Record) - (whole ? 0 : 1);
    return record;
}

TEST_F(Far3Plugin, TheStartupRecordAndItsFunctionTableAreCopies) {
    // The stand-in filled both with 0xA5 bytes once SetStartupInfoW returned.
    EXPECT_EQ(sizeof(far3::PluginStartupInfo), far3::HostServices.StructSize);
    ASSERT_NE(nullptr, far3::HostServices.FSF);
    EXPECT_EQ(sizeof(far3::FarStandardFunctions), far3::HostServices.FSF->StructSize);
    EXPECT_EQ(Text(u"C:\\Far\\Plugins\\Velumo\\Velumo.dll"), Text(far3::HostServices.ModuleName));
    EXPECT_EQ(Msg(kMsgPanelTitle), far3::HostServices.GetMsg(&far3::kPluginGuid, kMsgPanelTitle));
}

// A FAR whose start-up record is shorter than Velumo's: only the part it says it filled is taken,
// and the services past it stay null instead of being read from beyond FAR's record.
TEST_F(Far3Plugin, OnlyThePartOfTheStartupRecordFarFilledIsTaken) {
    far3::FarStandardFunctions table = *far3::HostServices.FSF;
    far3::PluginStartupInfo startup = far3::HostServices;
    startup.FSF = &table;
    startup.StructSize = offsetof(far3::PluginStartupInfo, Instance);
    memset(reinterpret_cast<char*>(&startup) + startup.StructSize, 0xA5,
           sizeof(startup) - startup.StructSize);
    SetStartupInfoW(&startup);
    EXPECT_EQ(nullptr, far3::HostServices.Instance);
    EXPECT_EQ(nullptr, far3::HostServices.FreeScreen);
    EXPECT_NE(nullptr, far3::HostServices.GetMsg) << "the part FAR filled is kept";
}

void ExpectMenu(const far3host::MenuCopy& menu, const GUID& guid, const Text& text, size_t count) {
    ASSERT_EQ(count, menu.guids.size());
    ASSERT_EQ(std::vector<Text>(count, text), menu.strings);
    EXPECT_TRUE(count == 0 || far3::SameGuid(guid, menu.guids[0]));
}

TEST_F(Far3Plugin, TheDisksMenuFollowsItsSetting) {
    for (unsigned long long addToDisksMenu : {1ull, 0ull, 5ull}) {
        SCOPED_TRACE(addToDisksMenu);
        ASSERT_TRUE(StartFar3({Far3Number(u"AddToDisksMenu", addToDisksMenu)}));
        const far3host::PluginInfoCopy info = far3host::ReadPluginInfo();
        const size_t disks = addToDisksMenu != 0 ? 1 : 0;
        ExpectMenu(info.diskMenu, far3::kDisksMenuGuid, Msg(kMsgDisksMenuEntry), disks);
        // The disks menu opens the panel on its own side.
        HANDLE opened = far3host::OpenFromDiskMenu(far3host::kRightPanel);
        EXPECT_EQ(disks == 1, opened != nullptr);
        EXPECT_EQ(opened, far3host::PanelAt(far3host::kRightPanel).plugin);
        far3host::ExitFar();
    }
    // The dialog opens only from the configuration menu's item.
    ASSERT_TRUE(StartFar3());
    far3::ConfigureInfo info = {sizeof(info), &far3::kPluginsMenuGuid, nullptr};
    EXPECT_EQ(0, ConfigureW(&info));
    EXPECT_TRUE(far3host::DialogCalls().empty());
    far3host::Configure(); // Esc
    EXPECT_EQ(1u, far3host::DialogCalls().size());
}

TEST_F(Far3Plugin, APanelThatCannotBeAllocatedIsNoPanelAndTogglesNothing) {
    const HWND report = simwin::CreateTestWindow(u"Report");
    heapcalls::FailNthCall(heapcalls::Call::NothrowNew, 1);
    EXPECT_EQ(nullptr, far3host::TypeCommand(u"hide:Report"));
    EXPECT_TRUE(IsWindowVisible(report));
    EXPECT_EQ(0, g_openPanelCount);
    EXPECT_EQ(nullptr, far3host::PanelAt(far3host::kLeftPanel).plugin);
}

TEST_F(Far3Plugin, NullRecordsAndNullPanelsAreRefused) {
    GetGlobalInfoW(nullptr);
    SetStartupInfoW(nullptr);
    GetPluginInfoW(nullptr);
    EXPECT_EQ(nullptr, OpenW(nullptr));
    ClosePanelW(nullptr);
    EXPECT_EQ(0, GetFindDataW(nullptr));
    FreeFindDataW(nullptr);
    GetOpenPanelInfoW(nullptr);
    EXPECT_EQ(0, SetDirectoryW(nullptr));
    EXPECT_EQ(0, DeleteFilesW(nullptr));
    EXPECT_EQ(0, ProcessPanelInputW(nullptr));
    EXPECT_EQ(0, ConfigureW(nullptr));
    ExitFARW(nullptr);
    EXPECT_NE(nullptr, far3::HostServices.GetMsg) << "the services are kept";

    auto find = Zeroed<far3::GetFindDataInfo>(true);
    EXPECT_EQ(0, GetFindDataW(&find)) << "no panel";
    auto directory = Zeroed<far3::SetDirectoryInfo>(true);
    directory.hPanel = OpenDirectly();
    EXPECT_EQ(0, SetDirectoryW(&directory)) << "no directory";
    Close(directory.hPanel);
}

TEST_F(Far3Plugin, RecordsSmallerThanVelumosAreLeftAlone) {
    const HWND report = simwin::CreateTestWindow(u"Report");
    HANDLE panel = OpenDirectly();
    auto global = Zeroed<far3::GlobalInfo>();
    GetGlobalInfoW(&global);
    auto info = Zeroed<far3::PluginInfo>();
    GetPluginInfoW(&info);
    auto panelInfo = Zeroed<far3::OpenPanelInfo>();
    panelInfo.hPanel = panel;
    GetOpenPanelInfoW(&panelInfo);
    EXPECT_EQ(nullptr, global.Title);
    EXPECT_EQ(nullptr, info.CommandPrefix);
    EXPECT_EQ(nullptr, panelInfo.PanelTitle);

    const GUID none{};
    far3::OpenCommandLineInfo command = {sizeof(command), u"Report"};
    auto open = Zeroed<far3::OpenInfo>();
    open.OpenFrom = far3::OPEN_COMMANDLINE;
    open.Guid = &none;
    open.Data = reinterpret_cast<intptr_t>(&command);
    EXPECT_EQ(nullptr, OpenW(&open));
    open.StructSize = sizeof(open);
    command.StructSize = sizeof(command) - 1;
    HANDLE withoutCommand = OpenW(&open);
    EXPECT_NE(nullptr, withoutCommand) << "a panel, without the command";

    auto find = Zeroed<far3::GetFindDataInfo>();
    find.hPanel = panel;
    EXPECT_EQ(0, GetFindDataW(&find));
    auto directory = Zeroed<far3::SetDirectoryInfo>();
    directory.hPanel = panel;
    directory.Dir = u"C:\\Temp";
    EXPECT_EQ(0, SetDirectoryW(&directory));
    far3::PluginPanelItem item;
    memset(&item, 0, sizeof(item));
    item.UserData.Data = report;
    auto toggle = Zeroed<far3::DeleteFilesInfo>();
    toggle.hPanel = panel;
    toggle.PanelItem = &item;
    toggle.ItemsNumber = 1;
    EXPECT_EQ(0, DeleteFilesW(&toggle));
    auto input = Zeroed<far3::ProcessPanelInputInfo>();
    input.hPanel = panel;
    input.Rec.EventType = KEY_EVENT;
    input.Rec.Event.KeyEvent.bKeyDown = TRUE;
    input.Rec.Event.KeyEvent.wVirtualKeyCode = VK_F3;
    EXPECT_EQ(0, ProcessPanelInputW(&input));
    auto configure = Zeroed<far3::ConfigureInfo>();
    configure.Guid = &far3::kConfigMenuGuid;
    EXPECT_EQ(0, ConfigureW(&configure));
    EXPECT_TRUE(far3host::DialogCalls().empty());
    EXPECT_TRUE(IsWindowVisible(report));

    heapcalls::ResetCounts();
    auto whole = Zeroed<far3::GetFindDataInfo>(true);
    whole.hPanel = panel;
    ASSERT_EQ(1, GetFindDataW(&whole));
    far3::FreeFindDataInfo release = {sizeof(release) - 1, panel, whole.PanelItem,
                                      whole.ItemsNumber, nullptr};
    FreeFindDataW(&release);
    EXPECT_EQ(3, heapcalls::Counted().balance) << "the array, its texts and the programs kept";
    release.StructSize = sizeof(release);
    FreeFindDataW(&release);

    auto close = Zeroed<far3::ClosePanelInfo>();
    close.hPanel = panel;
    ClosePanelW(&close);
    EXPECT_EQ(2, g_openPanelCount);
    // Too short to hold the services Velumo calls: the services kept stay.
    auto startup = Zeroed<far3::PluginStartupInfo>();
    startup.StructSize = offsetof(far3::PluginStartupInfo, Private) - 1;
    SetStartupInfoW(&startup);
    EXPECT_NE(nullptr, far3::HostServices.GetMsg);
    Close(withoutCommand);
    Close(panel);
}

} // namespace
