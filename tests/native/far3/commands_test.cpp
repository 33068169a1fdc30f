// "hide:<text>" in FAR 3, the last panel's close showing the windows again, and leaving the panel.
#include "core/open_panels.h"
#include "far3/entry_points.h"
#include "far3_fixture.h"

#include <chrono>
#include <cstring>

namespace {

using far3host::Text;

class Far3Commands : public Far3Test {
  protected:
    // Closes the left panel as choosing another drive does.
    static void ShowDriveD() { far3host::ShowFolder(far3host::kLeftPanel, u"D:\\"); }

    // Types each command in turn, with the windows' visibility expected after it; the panel it
    // opens is then closed, which shows every window again.
    static void TypeEach(const std::vector<HWND>& windows,
                         const std::vector<std::pair<Text, const char*>>& cases) {
        for (size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_NE(nullptr, far3host::TypeCommand(cases[i].first)) << "opens whatever matched";
            EXPECT_EQ(cases[i].second, Visibility(windows));
            ShowDriveD();
            EXPECT_EQ(std::string(windows.size(), '1'), Visibility(windows));
        }
    }
};

TEST_F(Far3Commands, HideTogglesTheTitlesHoldingTheTextAsItIs) {
    TypeEach({simwin::CreateTestWindow(u"日本語 — résumé 🙂"),
              simwin::CreateTestWindow(u"Отчёт за май"), simwin::CreateTestWindow(u"Report")},
             {{u"hide:日本", "011"},
              {u"hide:résumé 🙂", "011"},
              {u"hide:Отчёт", "101"},
              {u"hide:отчёт", "111"},
              {u"hide:port", "110"},
              {u"hide:REPORT", "111"},
              {u"hide: Report", "111"}, // FAR passes the text untrimmed
              {u"hide:", "111"}});
}

TEST_F(Far3Commands, LongTextsAndUnpairedSurrogatesAreMatchedSafely) {
    const Text longText(100000, u'x');
    // A text that nearly matches a long title at every place: a search that starts over at each
    // place makes billions of comparisons (half a minute here), a linear one a few hundred
    // thousand.
    const Text nearMatch = Text(50000, u'x') + u"!!";
    const auto started = std::chrono::steady_clock::now();
    TypeEach({simwin::CreateTestWindow(longText + u"!"), simwin::CreateTestWindow(Text(1000, u'x')),
              simwin::CreateTestWindow(Text{u'a', 0xD83D, u'b'})},
             {{u"hide:" + longText, "011"},
              {u"hide:" + Text(100000, u'y'), "111"},
              {u"hide:" + nearMatch, "111"},
              {u"hide:" + Text{0xD83D}, "110"},
              {u"hide:" + Text{0xDE42}, "111"}});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(Far3Commands, TypedInItsOwnPanelTheWindowsStayHiddenUntilTheLastPanelCloses) {
    const std::vector<HWND> windows = {simwin::CreateTestWindow(u"Report"),
                                       simwin::CreateTestWindow(u"Notes")};
    HANDLE first = far3host::TypeCommand(u"hide:Report");
    far3host::ClearRecords();
    ASSERT_NE(nullptr, far3host::TypeCommand(u"hide:Notes"));
    // FAR opened the new instance before it closed the old one.
    const std::vector<far3host::PluginCall>& calls = far3host::PluginCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(far3host::Call::Open, calls[0].call);
    EXPECT_EQ(far3host::Call::ClosePanel, calls[1].call);
    EXPECT_EQ(first, calls[1].panel);
    EXPECT_EQ("00", Visibility(windows));
    for (const far3host::ListedItem& item : far3host::ListPanel(far3host::kLeftPanel)) {
        EXPECT_TRUE(item.isDots || item.customColumns.at(0) == u"H  D");
    }
    EXPECT_TRUE(far3host::EnterDotDot());
    EXPECT_EQ("11", Visibility(windows));
}

TEST_F(Far3Commands, WhateverClosesTheLastPanelShowsTheHiddenWindowsAgain) {
    struct Case {
        const char* how;
        void (*close)();
        unsigned long long showAllWindowAtExit;
    };
    for (const Case& c :
         {Case{"Enter on ..", [] { far3host::EnterDotDot(); }, 1},
          Case{"cd", [] { far3host::ChangeDirectory(u"C:\\Temp"); }, 1},
          Case{"another drive", ShowDriveD, 1}, Case{"exit", far3host::ExitFar, 1},
          Case{"Enter on .., ShowAllWindowAtExit 0", [] { far3host::EnterDotDot(); }, 0}}) {
        SCOPED_TRACE(c.how);
        ASSERT_TRUE(StartFar3({Far3Number(u"ShowAllWindowAtExit", c.showAllWindowAtExit)}));
        const HWND report = simwin::CreateTestWindow(u"Report");
        ASSERT_NE(nullptr, far3host::OpenFromDiskMenu(far3host::kRightPanel));
        ASSERT_NE(nullptr, far3host::TypeCommand(u"hide:Report")); // the left panel, active
        far3host::ShowFolder(far3host::kRightPanel, far3host::kStartFolder);
        EXPECT_FALSE(IsWindowVisible(report)) << "the left panel still lists it";
        c.close();
        EXPECT_EQ(0, g_openPanelCount);
        EXPECT_EQ(c.showAllWindowAtExit != 0, IsWindowVisible(report) != FALSE);
        EXPECT_EQ("", Far3Anomalies());
        ResetProcessState();
    }
}

TEST_F(Far3Commands, LeavingPutsTheFilePanelWhereTheUserExpects) {
    struct Case {
        Text directory, folder;
    };
    for (const Case& c : {Case{u"..", u"C:\\Work\\Sub"}, Case{u"C:\\Temp", u"C:\\Temp"},
                          Case{u"Docs", u"C:\\Work\\Sub\\Docs"}}) {
        SCOPED_TRACE(c.folder.size());
        far3host::ShowFolder(far3host::kLeftPanel, u"C:\\Work\\Sub");
        ASSERT_NE(nullptr, far3host::OpenInActivePanel());
        if (c.directory == u"..") {
            EXPECT_TRUE(far3host::EnterDotDot());
        } else {
            EXPECT_EQ(1, far3host::ChangeDirectory(c.directory));
        }
        const far3host::HostPanel& panel = far3host::PanelAt(far3host::kLeftPanel);
        EXPECT_EQ(nullptr, panel.plugin);
        EXPECT_EQ(c.folder, panel.folder);
    }
    // The root and the directories Find File walks keep the panel.
    HANDLE panel = far3host::OpenInActivePanel();
    far3host::ClearRecords();
    EXPECT_EQ(0, far3host::ChangeDirectory(u"\\"));
    far3::SetDirectoryInfo find;
    memset(&find, 0, sizeof(find));
    find.StructSize = sizeof(find);
    find.hPanel = panel;
    find.Dir = u"C:\\Temp";
    find.OpMode = far3::OPM_FIND;
    EXPECT_EQ(0, SetDirectoryW(&find));
    EXPECT_EQ(panel, far3host::PanelAt(far3host::kLeftPanel).plugin);
    EXPECT_TRUE(far3host::ControlCalls().empty());
}

} // namespace
