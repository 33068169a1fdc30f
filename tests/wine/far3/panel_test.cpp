// The FAR 3 panel against real windows with titles no ANSI or OEM code page holds: "hide:" typed
// on the command line, and F3 with FAR's selection; and the program each item names, for windows
// of other processes.
//
// Under Wine a SetForegroundWindow does not raise the window (see desktop_test.h), so
// the foreground window is what proves an activation here.
#include "far3_fixture.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

namespace far3test {
namespace {

using namespace far3host;

const std::wstring kJapanese = L"日本語 — résumé 🙂";
const std::wstring kRussian = L"Отчёт";
const std::wstring kPlain = L"Velumo plain window";
// What the two titles above become in the ANSI code page: a search that went through it would
// find this window too.
const std::wstring kDecoy = L"Velumo decoy ?? ?????";

class Far3Panel : public Far3Test {};

// A copy of this test program at `path`, started on the test's desktop as another program that
// owns one visible window (see wine_main.cpp); ended and its file deleted when it goes.
class OtherProgram {
  public:
    explicit OtherProgram(const std::wstring& path) : path_(path) {
        copied_ = CopyFileW(OwnProgram().path.c_str(), path.c_str(), TRUE) != FALSE;
        EXPECT_TRUE(copied_) << "CopyFileW: error " << GetLastError();
        const std::wstring event = L"VelumoOtherProgram-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(++started_);
        ready_ = CreateEventW(nullptr, TRUE, FALSE, event.c_str());
        process_.reset(new ChildProcess(L"\"" + path + L"\" own-window " + event, nullptr));
    }
    ~OtherProgram() {
        process_.reset();
        CloseHandle(ready_);
        EXPECT_TRUE(!copied_ || DeleteFileW(path_.c_str()))
            << "DeleteFileW: error " << GetLastError();
    }

    // Waits, serving this test's windows, until the program's window exists.
    bool WaitForWindow() const {
        return process_->Handle() != nullptr && WaitServing(ready_, process_->Handle());
    }
    ProgramColumns Columns() const { return ProgramOf(path_, process_->Id()); }

  private:
    std::wstring path_;
    bool copied_ = false;
    HANDLE ready_ = nullptr;
    std::unique_ptr<ChildProcess> process_;
    static int started_; // each event name is new
};
int OtherProgram::started_ = 0;

// A folder of the temporary folder, in Windows's long form, for this test process alone;
// removed when it goes.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        wchar_t temporary[MAX_PATH] = L"", longForm[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temporary);
        const DWORD length = GetLongPathNameW(temporary, longForm, MAX_PATH);
        EXPECT_TRUE(length > 0 && length < MAX_PATH)
            << "GetLongPathNameW: error " << GetLastError();
        path_ =
            std::wstring(longForm) + L"velumo-programs-" + std::to_wstring(GetCurrentProcessId());
        EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr))
            << "CreateDirectoryW: error " << GetLastError();
    }
    ~TemporaryFolder() { RemoveDirectoryW(path_.c_str()); }
    std::wstring Path(const std::wstring& fileName) const { return path_ + L"\\" + fileName; }

  private:
    std::wstring path_;
};

// The text is matched as UTF-16 code units, as FAR hands it over: a lone combining mark or a
// lone high surrogate matches, a precomposed letter does not match its decomposed form. Each
// listing holds every window once with its whole title, thousands of code units included.
TEST_F(Far3Panel, HideCommandTogglesExactlyTheWindowsWhoseTitleHoldsTheText) {
    ASSERT_EQ(1252u, GetACP()) << "the Wine prefix runs with LC_ALL=C";
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, kRussian.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the titles must lie outside the ANSI code page";
    const std::vector<HWND> windows = {MakeWindowW(kJapanese), MakeWindowW(kRussian),
                                       MakeWindowW(kPlain), MakeWindowW(kDecoy),
                                       MakeWindowW(L"Cafe\u0301 " + std::wstring(5000, L'ж'))};
    // Each typed in the Velumo panel: FAR opens the new instance, then closes the old one, so
    // the last panel never closes and nothing is shown again until FAR exits. A recorded hidden
    // window is eligible, so a second match shows it.
    const struct {
        std::wstring text;
        const char* hidden; // by window, after the command
    } cases[] = {
        {L"日本", "10000"},
        {L"Отчёт", "11000"},
        {L"\u0301", "11001"},
        {L"é", "01001"},
        {L"\xD83D", "11001"},
        {L"", "11001"},
        {std::wstring(100000, L'日'), "11001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "hide:" << c.text.substr(0, 8) << " (" << c.text.size() << " units)");
        EXPECT_NE(nullptr, TypeCommand(L"hide:" + c.text)) << "the panel opens";
        const std::vector<ListedItem> items = OwnItems();
        for (size_t i = 0; i < windows.size(); ++i) {
            ExpectVisible(__FILE__, __LINE__, windows[i], c.hidden[i] == '0');
            EXPECT_LISTED(items, windows[i], c.hidden[i] == '1' ? L"H  D" : L"    ");
        }
    }
    ExitFar(); // shows what was recorded
    for (HWND window : windows) {
        EXPECT_VISIBLE(window);
    }

    // ShowAllWindowAtExit 0: the last close leaves it hidden.
    StartFar3({Setting(L"ShowAllWindowAtExit", 0)});
    ASSERT_NE(nullptr, TypeCommand(L"hide:" + kRussian));
    EXPECT_HIDDEN(windows[1]);
    ExitFar();
    EXPECT_HIDDEN(windows[1]);
    EXPECT_VISIBLE(windows[0]);
}

// F3 on a window in the background: FAR's selection comes forward, and FAR keeps the selection
// when the panel is updated.
TEST_F(Far3Panel, F3BringsFarsSelectionForwardAndKeepsIt) {
    HWND back = MakeWindowW(kRussian);
    HWND front = MakeWindowW(kJapanese);
    ASSERT_NE(nullptr, OpenInActivePanel());
    PutInFront(front);
    Select({back});
    ClearRecords();
    EXPECT_EQ(1, PressKey(VK_F3, 0));
    PumpMessages();
    EXPECT_EQ(back, GetForegroundWindow()) << "F3 brings the selected window forward";
    EXPECT_EQ(5u, ControlCalls().size()) << "PanelInfo, the item twice, update, redraw";
    for (const ControlCall& call : ControlCalls()) {
        EXPECT_EQ(PanelAt(ActivePanel()).plugin, call.hPanel) << "command " << call.command;
        EXPECT_TRUE(call.command != far3::FCTL_UPDATEPANEL || call.param1 == 1)
            << "FCTL_UPDATEPANEL's Param1: 0 makes FAR drop the selection";
    }
    const std::vector<ListedItem>& items = PanelAt(ActivePanel()).items;
    EXPECT_EQ(1, std::count_if(items.begin(), items.end(),
                               [](const ListedItem& item) { return item.selected; }))
        << "the panel still shows the window selected";
}

// Each item names the program whose process owns its window: file name, full path as the
// description, process id. Two other programs with file names of their own (case and spaces
// kept), and this test program.
TEST_F(Far3Panel, EachItemNamesTheProgramThatOwnsItsWindow) {
    const TemporaryFolder folder;
    std::deque<OtherProgram> others;
    for (const wchar_t* fileName : {L"Velumo Owner One.exe", L"velumo-owner-2.exe"}) {
        others.emplace_back(folder.Path(fileName));
    }
    HWND own = MakeWindowW(kPlain);
    std::map<std::wstring, ProgramColumns> expected = {{OwnProgram().processId, OwnProgram()}};
    for (const OtherProgram& other : others) {
        ASSERT_TRUE(other.WaitForWindow()) << "a copy of the test program made no window";
        expected[other.Columns().processId] = other.Columns();
    }
    ASSERT_NE(nullptr, OpenInActivePanel());

    std::map<std::wstring, int> listed; // items by process id
    for (const ListedItem& item : ListPanel(ActivePanel())) {
        DWORD processId = 0;
        GetWindowThreadProcessId(WindowOf(item), &processId);
        const auto program = expected.find(std::to_wstring(processId));
        if (item.isDots || program == expected.end()) {
            continue; // Wine's own helper windows
        }
        ++listed[program->first];
        SCOPED_TRACE(Named(WindowOf(item)));
        ASSERT_EQ(4u, item.customColumns.size());
        EXPECT_EQ(program->second.fileName, item.customColumns[2]);
        EXPECT_EQ(program->second.processId, item.customColumns[3]);
        EXPECT_EQ(program->second.path, item.description.value_or(L"(null)"));
    }
    EXPECT_EQ(1, listed[OwnProgram().processId]) << "the window " << Named(own) << " alone";
    for (const OtherProgram& other : others) {
        EXPECT_EQ(1, listed[other.Columns().processId]) << "the other program's window alone";
    }
}

} // namespace
} // namespace far3test
