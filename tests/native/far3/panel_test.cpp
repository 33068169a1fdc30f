// The FAR 3 panel: its description, its items (and those the heap fails), F8, F3 and Alt+F3.
#include "far3_fixture.h"

#include <cstring>
#include <set>

namespace {

using far3host::Text;

class Far3Panel : public Far3Test {
  protected:
    static HANDLE Open() {
        HANDLE panel = far3host::OpenInActivePanel();
        EXPECT_NE(nullptr, panel);
        return panel;
    }
    static std::vector<far3::FILE_CONTROL_COMMANDS> Commands() {
        std::vector<far3::FILE_CONTROL_COMMANDS> commands;
        for (const far3host::ControlCall& call : far3host::ControlCalls()) {
            commands.push_back(call.command);
        }
        return commands;
    }
    static std::set<void*> SelectedWindows() {
        std::set<void*> windows;
        for (const far3host::ListedItem& item : far3host::PanelAt(far3host::kLeftPanel).items) {
            if (item.selected) {
                windows.insert(item.userData.Data);
            }
        }
        return windows;
    }
    static std::vector<Text> Titles(const far3::GetFindDataInfo& find) {
        std::vector<Text> titles;
        for (size_t i = 0; i < find.ItemsNumber; ++i) {
            titles.push_back(find.PanelItem[i].FileName);
        }
        return titles;
    }
    // The list as GetFindDataW gives it, checked and handed back; nothing may stay allocated
    // beyond the array the panel kept from its listing before.
    static std::vector<Text> Listing(HANDLE panel) {
        heapcalls::ResetCounts();
        const far3::GetFindDataInfo find = TakeListing(panel);
        std::vector<Text> titles = Titles(find);
        GiveBack(find);
        EXPECT_EQ(0, heapcalls::Counted().balance);
        return titles;
    }
};

TEST_F(Far3Panel, AddsDotsLeavesF8ToDeleteFilesWAndLabelsTheKeysAsFar1Did) {
    Open();
    const far3host::OpenPanelInfoCopy& info = far3host::PanelAt(far3host::kLeftPanel).info;
    EXPECT_NE(0u, info.flags & far3::OPIF_ADDDOTS);
    EXPECT_EQ(0u, info.flags & far3::OPIF_REALNAMES) << "F8 must reach DeleteFilesW";

    // One letter per key F1..F12 of a modifier group, as the FAR 1.x key bar had them: n left to
    // FAR, e blank, L the F8 label, ? anything else.
    auto labels = [&info](DWORD group) {
        std::string letters(12, 'n');
        for (const far3host::KeyBarLabelCopy& label : info.keyBar) {
            const size_t key = static_cast<size_t>(label.virtualKeyCode - VK_F1);
            if (label.controlKeyState == group && key < letters.size()) {
                const Text text = label.text.value_or(Text());
                letters[key] = text.empty() ? 'e' : text == Msg(kMsgToggleKeyLabel) ? 'L' : '?';
            }
        }
        return letters;
    };
    EXPECT_EQ("nnneeeeLnnnn", labels(0));
    EXPECT_EQ("nnneeennnnnn", labels(LEFT_ALT_PRESSED));
    EXPECT_EQ("eeeeeeeennnn", labels(SHIFT_PRESSED));
    EXPECT_EQ("nnnnnnnnnnnn", labels(LEFT_CTRL_PRESSED));
}

TEST_F(Far3Panel, ListsEveryTitleWholeInUtf16WithItsStatusHandleAndProgram) {
    g_settings.ShowOwnerWindow = 1;
    g_settings.ShowInvisibleWindow = 1;
    Text thousand;
    for (int i = 0; i < 1000; ++i) {
        thousand.push_back(static_cast<WCHAR>(u'А' + i % 32));
    }
    // Programs: the desktop's own, one with a path outside ASCII, one that refuses to be asked
    // (another user's), and the host; two windows each, so that each is read once.
    const DWORD editor = simwin::StartTestProcess();
    const DWORD foreign = simwin::StartTestProcess();
    const DWORD host = simwin::CurrentTestProcess();
    simwin::SetTestProcessImage(editor, u"D:\\Программы\\Редактор 🙂.exe");
    simwin::SetTestProcessImage(foreign, u"C:\\Other\\secret.exe", true);
    simwin::SetTestProcessImage(host, u"C:\\Far\\Far.exe");
    simwin::WindowSpec owned;
    owned.wideTitle = u"Отчёт";
    owned.owner = simwin::CreateTestWindow(u"日本語 — résumé 🙂");
    owned.process = editor;
    simwin::CreateTestWindow(owned);
    for (const DWORD process : {editor, foreign, foreign, host, host}) {
        simwin::WindowSpec spec;
        spec.wideTitle = u"of " + simwin::Utf16FromUtf8(std::to_string(process));
        spec.process = process;
        simwin::CreateTestWindow(spec);
    }
    simwin::CreateTestWindow(u"Hidden elsewhere", false);
    simwin::CreateTestWindow(thousand);
    Open();
    far3host::SetCursor(1);
    far3host::PressKey(VK_F8, 0); // the 1,000-character title, hidden by Velumo
    simwin::ResetCallCounts();
    const std::vector<far3host::ListedItem> items = far3host::ListPanel(far3host::kLeftPanel);
    EXPECT_EQ(4u, simwin::Calls().openProcess) << "each program is read once a listing";
    EXPECT_EQ(3u, simwin::Calls().queryFullProcessImageName) << "the refusing one is not read";

    const auto id = [](DWORD process) { return simwin::Utf16FromUtf8(std::to_string(process)); };
    // Windows XP has no call to ask a process for its image: every program shows its id.
    simwin::SetImageNameQueryExported(false);
    const std::vector<far3host::ListedItem> onXp = far3host::ListPanel(far3host::kLeftPanel);
    EXPECT_EQ(u"<pid " + id(host) + u">", onXp.at(3).customColumns.at(2));
    simwin::SetImageNameQueryExported(true);
    const Text explorer = u"C:\\Windows\\explorer.exe";
    const Text editorPath = u"D:\\Программы\\Редактор 🙂.exe";
    const Text refused = u"<pid " + id(foreign) + u">";
    struct Expected {
        Text title, status, program, path, processId;
    };
    const std::vector<Expected> expected = {
        {thousand, u"H  D", u"explorer.exe", explorer, id(simwin::kDesktopProcess)},
        {u"Hidden elsewhere", u"H   ", u"explorer.exe", explorer, id(simwin::kDesktopProcess)},
        {u"of " + id(host), u"    ", u"Far.exe", u"C:\\Far\\Far.exe", id(host)},
        {u"of " + id(host), u"    ", u"Far.exe", u"C:\\Far\\Far.exe", id(host)},
        {u"of " + id(foreign), u"    ", refused, refused, id(foreign)},
        {u"of " + id(foreign), u"    ", refused, refused, id(foreign)},
        {u"of " + id(editor), u"    ", u"Редактор 🙂.exe", editorPath, id(editor)},
        {u"Отчёт", u" O  ", u"Редактор 🙂.exe", editorPath, id(editor)},
        {u"日本語 — résumé 🙂", u"    ", u"explorer.exe", explorer,
         id(simwin::kDesktopProcess)}};
    ASSERT_EQ(expected.size() + 1, items.size());
    EXPECT_TRUE(items[0].isDots);
    const std::vector<HWND> windows = simwin::ZOrder();
    for (size_t i = 1; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        const Expected& e = expected[i - 1];
        EXPECT_EQ(e.title, items[i].fileName);
        const Text handle = simwin::Utf16FromUtf8(HandleText(windows[i - 1]));
        EXPECT_EQ((std::vector<Text>{e.status, handle, e.program, e.processId}),
                  items[i].customColumns);
        EXPECT_EQ(e.path, items[i].description.value_or(u"(none)"));
        EXPECT_EQ(windows[i - 1], items[i].userData.Data);
        EXPECT_EQ(nullptr, items[i].userData.FreeData);
        EXPECT_EQ(0u, items[i].fileAttributes + items[i].flags);
    }
}

TEST_F(Far3Panel, AnEmptyListIsStillAList) {
    HANDLE panel = Open();
    EXPECT_TRUE(Listing(panel).empty());
    EXPECT_EQ(1u, far3host::ListPanel(far3host::kLeftPanel).size()) << "only \"..\"";
    EXPECT_EQ(panel, far3host::PanelAt(far3host::kLeftPanel).plugin);
}

// The array grows geometrically and the texts go into a few blocks, not one per item; FAR's next
// listing, at every refresh, reuses the storage the last listing left and asks the heap for
// nothing; two listings held at once (both panels) have storage of their own.
TEST_F(Far3Panel, TheListGrowsGeometricallyAndItsStorageIsKeptForTheNext) {
    for (int i = 0; i < 2000; ++i) {
        simwin::CreateTestWindow(u"Window " + simwin::Utf16FromUtf8(std::to_string(i)));
    }
    heapcalls::ResetCounts();
    HANDLE panel = Open();
    EXPECT_EQ(6u, heapcalls::Counted().reallocs) << "64 items, then doubled up to 2,048";
    EXPECT_EQ(3u, heapcalls::Counted().mallocs) << "two text blocks and the process table";

    heapcalls::ResetCounts();
    EXPECT_EQ(2000u, Listing(panel).size());
    EXPECT_EQ(0u, heapcalls::Counted().reallocs + heapcalls::Counted().mallocs +
                      heapcalls::Counted().frees);

    const far3::GetFindDataInfo left = TakeListing(panel);
    const far3::GetFindDataInfo right = TakeListing(panel);
    EXPECT_NE(left.PanelItem, right.PanelItem);
    EXPECT_EQ(Titles(left), Titles(right));
    GiveBack(left);
    GiveBack(right);

    heapcalls::ResetCounts();
    far3host::ExitFar();
    EXPECT_EQ(-4, heapcalls::Counted().balance)
        << "the kept array, its two text blocks and the process table go with the last panel";
}

TEST_F(Far3Panel, AnItemThatCannotBeAllocatedIsLeftOut) {
    std::vector<Text> all; // one window more than the first capacity: the array grows once
    for (int i = 0; i <= 64; ++i) {
        // The third from the top outgrows the first block of texts.
        all.insert(all.begin(),
                   i == 62 ? Text(40000, u'W') : u"W" + simwin::Utf16FromUtf8(std::to_string(i)));
        simwin::CreateTestWindow(all.front());
    }
    HANDLE panel = Open();
    far3::GetFindDataInfo kept = TakeListing(panel); // the storage the listings keep, taken away
    constexpr size_t kAll = SIZE_MAX;
    struct Case {
        heapcalls::Call call;
        int nth;        // 0: every call
        size_t leftOut; // the index into `all` missing, or kAll
    };
    // A fresh listing grows its array by realloc and takes its first block of texts from malloc
    // at the first item, its second at the long title.
    for (const Case& c :
         {Case{heapcalls::Call::Malloc, 1, 0}, Case{heapcalls::Call::Malloc, 2, 2},
          Case{heapcalls::Call::Realloc, 1, 0}, Case{heapcalls::Call::Realloc, 2, 64},
          Case{heapcalls::Call::Malloc, 0, kAll}, Case{heapcalls::Call::Realloc, 0, kAll}}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.call) << " " << c.nth);
        if (c.nth == 0) {
            heapcalls::FailEveryCall(c.call);
        } else {
            heapcalls::FailNthCall(c.call, c.nth);
        }
        std::vector<Text> expected = all;
        if (c.leftOut == kAll) {
            expected.clear();
        } else {
            expected.erase(expected.begin() + static_cast<long>(c.leftOut));
        }
        const far3::GetFindDataInfo find = TakeListing(panel);
        heapcalls::ClearFailures();
        EXPECT_EQ(expected, Titles(find));
        GiveBack(find);
        GiveBack(kept);
        kept = TakeListing(panel);
    }
    GiveBack(kept);
}

TEST_F(Far3Panel, F8TogglesTheSelectedItemsOrTheCurrentOne) {
    const std::vector<HWND> windows = {simwin::CreateTestWindow(u"A"),
                                       simwin::CreateTestWindow(u"B"),
                                       simwin::CreateTestWindow(u"C")}; // listed C, B, A
    Open();
    far3host::SelectItems({1, 3});
    far3host::SetCursor(2);
    EXPECT_EQ(0, far3host::PressKey(VK_F8, 0)) << "left to FAR, which calls DeleteFilesW";
    EXPECT_EQ("010", Visibility(windows));
    far3host::SelectItems({});
    far3host::SetCursor(1);
    far3host::PressKey(VK_F8, 0);
    EXPECT_EQ("011", Visibility(windows));
}

TEST_F(Far3Panel, F3AndAltF3BringTheFirstSelectedOrTheCurrentWindowForward) {
    const HWND a = simwin::CreateTestWindow(u"A");
    const HWND b = simwin::CreateTestWindow(u"B");
    simwin::CreateTestWindow(u"C");
    Open();
    far3host::SetCursor(2);
    far3host::PressKey(VK_F8, 0); // B, hidden: brought forward, it is shown
    struct Case {
        std::vector<size_t> selected;
        size_t cursor;
        DWORD state;
        HWND forward; // null: nothing
    };
    // Listed C, B, A; then B, C, A once B is in front.
    for (const Case& c : {Case{{2, 3}, 1, 0, b}, Case{{}, 3, LEFT_ALT_PRESSED, a},
                          Case{{}, 0, RIGHT_ALT_PRESSED, nullptr}}) {
        SCOPED_TRACE(c.cursor);
        far3host::SelectItems(c.selected);
        far3host::SetCursor(c.cursor);
        far3host::ClearRecords();
        simwin::ResetCallCounts();
        const std::set<void*> selected = SelectedWindows();
        EXPECT_EQ(1, far3host::PressKey(VK_F3, c.state));
        if (c.forward != nullptr) {
            EXPECT_EQ(c.forward, simwin::ZOrder().front());
            EXPECT_EQ(c.forward, simwin::ForegroundWindow());
            EXPECT_TRUE(IsWindowVisible(c.forward));
        }
        EXPECT_EQ(c.forward != nullptr ? 1u : 0u, simwin::Calls().setForegroundWindow);
        EXPECT_EQ(selected, SelectedWindows()) << "FAR re-reads the panel: the selection stays";
        std::vector<far3::FILE_CONTROL_COMMANDS> expected = {far3::FCTL_GETPANELINFO};
        if (c.forward != nullptr) { // the item's size, then the item
            expected.insert(expected.end(), 2, far3::FCTL_GETSELECTEDPANELITEM);
        }
        expected.push_back(far3::FCTL_UPDATEPANEL);
        expected.push_back(far3::FCTL_REDRAWPANEL);
        EXPECT_EQ(expected, Commands());
    }
}

TEST_F(Far3Panel, OtherKeysAreLeftToFarAndSendNothing) {
    simwin::CreateTestWindow(u"A");
    HANDLE panel = Open();
    far3host::SetCursor(1);
    struct Key {
        WORD event, key;
        BOOL down;
        DWORD state;
    };
    constexpr WORD kMouseEvent = 2, kReturn = 0x0D;
    for (const Key& k : {Key{KEY_EVENT, VK_F3, TRUE, LEFT_CTRL_PRESSED},
                         Key{KEY_EVENT, VK_F3, TRUE, RIGHT_CTRL_PRESSED},
                         Key{KEY_EVENT, VK_F3, TRUE, SHIFT_PRESSED},
                         Key{KEY_EVENT, VK_F3, TRUE, LEFT_ALT_PRESSED | SHIFT_PRESSED},
                         Key{KEY_EVENT, VK_F3, FALSE, 0}, Key{KEY_EVENT, VK_F4, TRUE, 0},
                         Key{KEY_EVENT, kReturn, TRUE, 0}, Key{kMouseEvent, VK_F3, TRUE, 0}}) {
        SCOPED_TRACE(testing::Message()
                     << k.event << " " << k.key << " " << k.down << " " << k.state);
        far3::ProcessPanelInputInfo input;
        memset(&input, 0, sizeof(input));
        input.StructSize = sizeof(input);
        input.hPanel = panel;
        input.Rec.EventType = k.event;
        input.Rec.Event.KeyEvent = {k.down, 1, k.key, 0, {0}, k.state};
        far3host::ClearRecords();
        simwin::ResetCallCounts();
        EXPECT_EQ(0, ProcessPanelInputW(&input));
        EXPECT_TRUE(far3host::ControlCalls().empty());
        EXPECT_EQ(0u, simwin::Calls().setForegroundWindow + simwin::Calls().showWindow);
    }
}

} // namespace
