// A long random run of the FAR 3 plug-in against a few hundred real windows whose titles mix
// Japanese, Chinese, Korean, Cyrillic, Greek, Hebrew, emoji (one of them a ZWJ sequence), letters
// with combining marks beside their precomposed forms, and titles thousands of code units long.
// A fixed seed draws the operations: F8 on items of the last listing, F3/Alt+F3 with a scripted
// selection, listings, "hide:" command lines (each its own OpenW and ClosePanelW), windows
// destroyed between a listing and the action on its item, windows created, destroyed and
// retitled, and now and then the last panel closed and opened again. ShowAllWindowAtExit is 0
// until the end, so no close restores anything.
//
// Every listing is checked whole: each live eligible window of the test listed once with its
// exact UTF-16 title, status and handle, nothing else of the test's and no destroyed window. The
// windows each operation touches are checked against a model of the twenty-slot table of hidden
// windows. At the end ShowAllWindowAtExit is set to 1 in the configuration dialog and the last
// panel closed: every window Velumo hid is visible again.
#include "far3_fixture.h"
#include "../hidden_table_model.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>

namespace far3test {
namespace {

using namespace far3host;

constexpr int kInitialWindows = 300;
constexpr int kOperations = 3000;
constexpr size_t kMinimumLive = 250;
constexpr size_t kMaximumLive = 340;
constexpr int kGroups = 16;
constexpr uint32_t kSeed = 0xF3A20269u;
constexpr int kFailureLimit = 5;   // stop after this many mismatches: the first one tells most
constexpr size_t kLongTitle = 512; // what counts as a very long title in the figures

// What titles are made of. "Cafe\u0301" and "Café" look alike and share no "é".
const wchar_t* const kTitlePieces[] = {
    L"日本語の文書", L"中文窗口",
    L"한국어 창",    L"Отчёт",
    L"Документ №7",  L"Ελληνικά",
    L"עברית",        L"🙂",
    L"🚀 start",      L"👨‍👩‍👧 family",
    L"Café",         L"Cafe\u0301",
    L"man\u0303ana", L"Z\u0336a\u0337",
    L"résumé",       L"plain words",
};
// Texts typed after "hide:" besides the windows' own markers and fragments of titles: a lone
// high surrogate and a lone combining mark match as code units, as FAR hands them over.
const wchar_t* const kHideTexts[] = {
    L"日本", L"Отчёт", L"🙂", L"é", L"e\u0301", L"\u0301", L"\u200D", L"\xD83D", L"№7 ",
};

// A title for the messages: long ones cut, with their length.
std::wstring Shown(const std::wstring& title) {
    if (title.size() <= 40) {
        return title;
    }
    return title.substr(0, 40) + L"... (" + std::to_wstring(title.size()) + L" units)";
}

// "#0042#": one window's own mark in its title.
std::wstring Marker(int id) {
    const std::wstring digits = std::to_wstring(id);
    return L"#" + std::wstring(digits.size() < 4 ? 4 - digits.size() : 0, L'0') + digits + L"#";
}

// "·g07·": the mark of one in kGroups windows.
std::wstring Group(int group) {
    return L"\u00B7g" + std::wstring(group < 10 ? L"0" : L"") + std::to_wstring(group) + L"\u00B7";
}

bool IsMarkedText(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c >= 0x80 || c == L'#') {
            return true;
        }
    }
    return false;
}

class Far3Stress : public Far3Test {
  protected:
    struct Modelled {
        int id;
        std::wstring title;
        bool visible;
    };

    uint32_t Draw(size_t range) {
        return static_cast<uint32_t>(random_() % static_cast<uint32_t>(range));
    }

    // "<pieces> #0042# ·g10·", now and then thousands of code units long.
    std::wstring MakeTitle(int id) {
        const size_t pieceCount = sizeof kTitlePieces / sizeof kTitlePieces[0];
        std::wstring title;
        for (uint32_t i = 0, n = 1 + Draw(3); i < n; ++i) {
            title += std::wstring(kTitlePieces[Draw(pieceCount)]) + L" ";
        }
        title += Marker(id) + L" " + Group(id % kGroups);
        if (Draw(12) == 0) {
            const size_t length = 300 + Draw(4000);
            while (title.size() < length) {
                title += std::wstring(L" ") + kTitlePieces[Draw(pieceCount)];
            }
        }
        return title;
    }

    void Mismatch(const ::testing::Message& what) {
        ++failures_;
        ADD_FAILURE() << "operation " << operation_ << " (" << description_ << "): " << what;
    }

    // The whole title as Windows keeps it must be the one set, or the checks below would blame
    // the plug-in for the window system.
    void CheckTitleKept(HWND window, const std::wstring& title) {
        const std::wstring kept = WholeTitleOf(window);
        if (kept != title) {
            Mismatch(::testing::Message() << "Windows keeps the title \"" << Shown(title)
                                          << "\" as \"" << Shown(kept) << "\"");
        }
    }

    HWND NewWindow(bool visible) {
        const int id = nextId_++;
        const std::wstring title = MakeTitle(id);
        HWND window = harness::MakeWindowW(title, visible ? kVisibleWindow : kInvisibleWindow);
        if (window == nullptr) {
            Mismatch(::testing::Message() << "CreateWindowExW failed, error " << GetLastError());
            return nullptr;
        }
        windows_.push_back(window);
        model_[window] = {id, title, visible};
        CheckTitleKept(window, title);
        ++counts_["created"];
        return window;
    }

    void Retitle(HWND window) {
        Modelled& modelled = model_[window];
        modelled.title = Draw(16) == 0 ? std::wstring() : MakeTitle(modelled.id);
        description_ = "retitle " + HandleText(window);
        SetWindowTextW(window, modelled.title.c_str());
        CheckTitleKept(window, modelled.title);
        ++counts_[modelled.title.empty() ? "retitled without a title" : "retitled"];
    }

    void Destroy(HWND window) {
        description_ = "destroy " + HandleText(window);
        DestroyWindow(window);
        harness::PumpMessages();
        windows_.erase(std::find(windows_.begin(), windows_.end(), window));
        model_.erase(window);
        destroyed_.insert(window);
        ++counts_["destroyed"];
    }

    // Listed under the current settings: visible with a title, or recorded by Velumo.
    bool Eligible(HWND window) const {
        const Modelled& modelled = model_.at(window);
        return (modelled.visible && !modelled.title.empty()) || table_.Contains(window);
    }

    // The model's toggle of one window, in the order the plug-in handles them.
    void ModelToggle(HWND window) {
        auto modelled = model_.find(window);
        if (modelled == model_.end()) {
            ++counts_["actions on destroyed windows"];
            table_.Remove(window);
        } else if (modelled->second.visible) {
            if (table_.Add(window)) {
                modelled->second.visible = false;
                everHidden_.insert(window);
                ++counts_["hides"];
            } else {
                ++counts_["hides refused by the full table"];
            }
        } else {
            modelled->second.visible = true;
            table_.Remove(window);
            ++counts_["shows"];
        }
    }

    void CheckVisibility(HWND window) {
        auto modelled = model_.find(window);
        if (modelled == model_.end()) {
            return;
        }
        const bool seen = IsWindowVisible(window) != FALSE;
        if (seen != modelled->second.visible) {
            Mismatch(::testing::Message()
                     << "window " << HandleText(window) << " \"" << Shown(modelled->second.title)
                     << "\": expected " << (modelled->second.visible ? "visible" : "hidden")
                     << ", seen " << (seen ? "visible" : "hidden"));
        }
    }

    void CheckAllVisibility() {
        for (HWND window : windows_) {
            CheckVisibility(window);
        }
    }

    void CheckItem(const ListedItem& item, HWND window) {
        const Modelled& modelled = model_.at(window);
        std::wstring status = modelled.visible ? L" " : L"H";
        status += L"  ";
        status += table_.Contains(window) ? L"D" : L" ";
        const std::wstring handle = HandleTextOf(window);
        if (item.fileName != modelled.title || item.status != status || item.handleText != handle ||
            item.columnCount != 2 || item.freeData != 0 || item.attributes != 0) {
            Mismatch(::testing::Message()
                     << "window " << HandleText(window) << ": expected \"" << Shown(modelled.title)
                     << "\" status \"" << status << "\" handle " << handle
                     << ", 2 columns, no FreeData, attributes 0; seen \"" << Shown(item.fileName)
                     << "\" status \"" << item.status << "\" handle " << item.handleText << ", "
                     << item.columnCount << " columns, FreeData " << item.freeData
                     << ", attributes " << item.attributes);
        }
        if (modelled.title.size() >= kLongTitle) {
            ++counts_["very long titles listed"];
        }
    }

    // Lists the panel and checks it whole against the model.
    void ListAndCheck(HANDLE panel) {
        const Listing listing = ListPanel(panel);
        if (listing.result != 1) {
            Mismatch(::testing::Message() << "GetFindDataW returned " << listing.result);
        }
        lastListing_.clear();
        std::map<HWND, int> times;
        for (const ListedItem& item : listing.items) {
            HWND window = WindowOf(item);
            if (destroyed_.count(window) != 0) {
                Mismatch(::testing::Message() << "destroyed window " << HandleText(window)
                                              << " listed as \"" << Shown(item.fileName) << "\"");
            }
            if (model_.count(window) == 0) {
                continue;
            }
            lastListing_.push_back(item);
            ++times[window];
            CheckItem(item, window);
        }
        for (const auto& modelled : model_) {
            const int expected = Eligible(modelled.first) ? 1 : 0;
            if (times[modelled.first] != expected) {
                Mismatch(::testing::Message() << "window " << HandleText(modelled.first) << " \""
                                              << Shown(modelled.second.title) << "\" ("
                                              << (modelled.second.visible ? "visible" : "hidden")
                                              << "): expected listed " << expected
                                              << " times, seen " << times[modelled.first]);
            }
        }
        ++counts_["listings"];
    }

    // An item of the last listing; half the time a hidden one, when there is one, so that
    // shows come as often as hides.
    const ListedItem* PickListed() {
        if (lastListing_.empty()) {
            return nullptr;
        }
        if (Draw(2) == 0) {
            std::vector<const ListedItem*> hidden;
            for (const ListedItem& item : lastListing_) {
                if (item.status[0] == L'H') {
                    hidden.push_back(&item);
                }
            }
            if (!hidden.empty()) {
                return hidden[Draw(hidden.size())];
            }
        }
        return &lastListing_[Draw(lastListing_.size())];
    }

    std::vector<ListedItem> PickItems(size_t most) {
        std::vector<ListedItem> picked;
        for (uint32_t i = 0, count = 1 + Draw(most); i < count; ++i) {
            if (const ListedItem* item = PickListed()) {
                picked.push_back(*item);
            }
        }
        return picked;
    }

    void PressF8(const std::vector<ListedItem>& items) {
        description_ = "F8 on " + std::to_string(items.size()) + " items";
        for (const ListedItem& item : items) {
            ModelToggle(WindowOf(item));
        }
        const intptr_t result = DeleteItems(panel_, items);
        if (result != 1) {
            Mismatch(::testing::Message() << "DeleteFilesW: expected 1, seen " << result);
        }
        for (const ListedItem& item : items) {
            CheckVisibility(WindowOf(item));
        }
        ++counts_["F8"];
    }

    void PressF3(const std::vector<ListedItem>& selection) {
        const DWORD states[] = {0, LEFT_ALT_PRESSED, RIGHT_ALT_PRESSED};
        const DWORD state = states[Draw(3)];
        description_ = std::string(state != 0 ? "Alt+F3" : "F3") + " with " +
                       std::to_string(selection.size()) + " selected";
        g_host.selection = selection;
        g_host.panelCalls.clear();
        HWND target = selection.empty() ? nullptr : WindowOf(selection[0]);
        auto modelled = model_.find(target);
        if (modelled != model_.end()) {
            modelled->second.visible = true; // shown if need be; the table is left alone
        } else if (target != nullptr) {
            ++counts_["actions on destroyed windows"];
        }
        const intptr_t result = PressKey(panel_, VK_F3, state);
        if (result != 1) {
            Mismatch(::testing::Message() << "ProcessPanelInputW(F3): expected 1, seen " << result);
        }
        harness::PumpMessages();
        if (modelled != model_.end()) {
            CheckVisibility(target);
            if (GetForegroundWindow() != target) {
                Mismatch(::testing::Message()
                         << "expected window " << HandleText(target) << " in the foreground, seen "
                         << HandleText(GetForegroundWindow()));
            }
        }
        ++counts_["F3"];
    }

    // A window's own marker, its group, a fixed text, or a fragment of a title. Each holds '#'
    // or a code unit beyond ASCII, so none matches the titles of Wine's own helper windows.
    std::wstring DrawHideText() {
        switch (Draw(4)) {
        case 0:
            return Marker(static_cast<int>(Draw(static_cast<size_t>(nextId_))));
        case 1:
            return Group(static_cast<int>(Draw(kGroups)));
        case 2:
            return kHideTexts[Draw(sizeof kHideTexts / sizeof kHideTexts[0])];
        default: {
            const std::wstring& title = model_.at(windows_[Draw(windows_.size())]).title;
            if (title.size() > 2) {
                const size_t at = Draw(title.size() - 2);
                const std::wstring fragment = title.substr(at, 2 + Draw(5));
                if (IsMarkedText(fragment)) {
                    return fragment;
                }
            }
            return Group(0);
        }
        }
    }

    // "hide:<text>" in a panel of its own, opened and closed: the model toggles the eligible
    // windows whose title holds the text, in the order of the plug-in's enumeration.
    void HideFromCommandLine() {
        const std::wstring text = DrawHideText();
        description_ = (::testing::Message() << "hide:" << Shown(text)).GetString();
        const size_t toggledBefore = static_cast<size_t>(counts_["hides"] + counts_["shows"]);
        for (HWND window : OwnZOrder()) {
            if (Eligible(window) && model_.at(window).title.find(text) != std::wstring::npos) {
                ModelToggle(window);
            }
        }
        if (static_cast<size_t>(counts_["hides"] + counts_["shows"]) != toggledBefore) {
            ++counts_["command lines that toggled"];
        }
        HANDLE command = OpenFromCommandLine(text);
        if (command == nullptr || !ClosePanel(command)) {
            Mismatch(::testing::Message() << "OpenW(OPEN_COMMANDLINE) gave no panel");
        }
        CheckAllVisibility();
        ++counts_["command lines"];
    }

    // The last panel closes (ShowAllWindowAtExit 0: nothing comes back), maybe a command line
    // opens and closes a panel of its own meanwhile, and the panel is opened again.
    void ReopenPanel() {
        description_ = "the last panel closed";
        ClosePanel(panel_);
        CheckAllVisibility();
        if (Draw(2) == 0) {
            HideFromCommandLine();
        }
        description_ = "the panel opened again";
        panel_ = OpenFromPluginsMenu();
        if (panel_ == nullptr) {
            Mismatch(::testing::Message() << "OpenW(OPEN_PLUGINSMENU) gave no panel");
            return;
        }
        ListAndCheck(panel_);
        ++counts_["last closes"];
    }

    void RunOperation() {
        const uint32_t kind = Draw(100);
        if (kind < 27) {
            PressF8(PickItems(3));
        } else if (kind < 39) {
            // One or two of any listed windows (F3 takes the first), so that few recorded
            // windows become visible ones that keep their slot; now and then nothing selected.
            std::vector<ListedItem> selection;
            for (uint32_t i = 0, n = Draw(10) != 0 ? 1 + Draw(2) : 0;
                 i < n && !lastListing_.empty(); ++i) {
                selection.push_back(lastListing_[Draw(lastListing_.size())]);
            }
            PressF3(selection);
        } else if (kind < 52) {
            description_ = "listing";
            ListAndCheck(panel_);
        } else if (kind < 63) {
            HideFromCommandLine();
        } else if (kind < 70) {
            // Destroyed between the listing and the action on its item.
            const ListedItem* item = PickListed();
            if (item != nullptr && model_.count(WindowOf(*item)) != 0 &&
                windows_.size() > kMinimumLive) {
                std::vector<ListedItem> stale = {*item};
                Destroy(WindowOf(*item));
                if (Draw(2) == 0) {
                    if (const ListedItem* other = PickListed()) {
                        stale.push_back(*other);
                    }
                    PressF8(stale);
                } else {
                    PressF3(stale);
                }
            }
        } else if (kind < 77) {
            if (windows_.size() > kMinimumLive) {
                Destroy(windows_[Draw(windows_.size())]);
            }
        } else if (kind < 86) {
            if (windows_.size() < kMaximumLive) {
                description_ = "create";
                NewWindow(Draw(10) != 0); // one in ten invisible, never listed
                harness::PumpMessages();
            }
        } else if (kind < 97) {
            Retitle(windows_[Draw(windows_.size())]);
        } else {
            ReopenPanel();
        }
    }

    std::mt19937 random_{kSeed};
    HANDLE panel_ = nullptr;
    int nextId_ = 0;
    int operation_ = -1;
    std::string description_ = "set-up";
    TableModel table_;
    std::map<HWND, Modelled> model_;
    std::set<HWND> everHidden_, destroyed_;
    std::vector<ListedItem> lastListing_;
    std::map<std::string, int> counts_;
    int failures_ = 0;
};

TEST_F(Far3Stress, ThreeThousandRandomOperationsOnThreeHundredUnicodeWindows) {
    const auto started = std::chrono::steady_clock::now();
    g_host.store[L"ShowAllWindowAtExit"] = {kFstQword, 0};
    StartFar1();
    for (int i = 0; i < kInitialWindows; ++i) {
        ASSERT_NE(nullptr, NewWindow(true));
    }
    harness::PumpMessages();
    panel_ = OpenFromPluginsMenu();
    ASSERT_NE(nullptr, panel_);
    ListAndCheck(panel_);

    for (operation_ = 0; operation_ < kOperations && failures_ < kFailureLimit; ++operation_) {
        RunOperation();
    }
    ASSERT_LT(failures_, kFailureLimit) << "stopped early";

    // ShowAllWindowAtExit 1, set in the configuration dialog, then the last close.
    description_ = "the last close with ShowAllWindowAtExit 1";
    g_host.checkBoxesClicked = {L"m16"};
    g_host.dialogConfirmed = true;
    ASSERT_EQ(1, Configure(kConfigMenuGuid));
    ASSERT_EQ(1u, g_host.store[L"ShowAllWindowAtExit"].number);
    ASSERT_TRUE(ClosePanel(panel_));
    // The model of that close: every recorded window that is hidden is shown and un-recorded.
    int restored = 0;
    for (auto& modelled : model_) {
        if (table_.Contains(modelled.first) && !modelled.second.visible) {
            modelled.second.visible = true;
            table_.Remove(modelled.first);
            ++restored;
        }
    }
    CheckAllVisibility();
    int hiddenAndAlive = 0;
    for (HWND window : everHidden_) {
        if (model_.count(window) != 0) {
            ++hiddenAndAlive;
            EXPECT_VISIBLE(window);
        }
    }
    description_ = "the listing after the restore";
    panel_ = OpenFromPluginsMenu();
    ListAndCheck(panel_);

    // The run met what it is meant to meet.
    EXPECT_GT(counts_["hides refused by the full table"], 1000);
    EXPECT_GT(counts_["actions on destroyed windows"], 50);
    EXPECT_GT(counts_["shows"], 300);
    EXPECT_GT(counts_["command lines that toggled"], 100);
    EXPECT_GT(counts_["very long titles listed"], 1000);
    EXPECT_GT(counts_["last closes"], 20);
    EXPECT_GT(hiddenAndAlive, 100) << "too few of the windows alive at the end were ever hidden";
    EXPECT_GE(restored, 3) << "too few windows were hidden at the last close";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printf("far3 stress: %d operations, %d windows made, %d alive at the end, in %.1f s:",
           kOperations, nextId_, static_cast<int>(windows_.size()), seconds);
    for (const auto& count : counts_) {
        printf(" %s %d;", count.first.c_str(), count.second);
    }
    printf(" hidden at some point and alive %d; restored at the last close %d\n", hiddenAndAlive,
           restored);
}

} // namespace
} // namespace far3test
