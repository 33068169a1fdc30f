// The long random run both Wine suites make against a few hundred real windows, one driver for
// both hosts: a fixed seed draws F8 on items of the last listing, F3/Alt+F3 with a selection,
// listings, "hide:" command lines (each in a panel of its own, opened and closed), windows
// destroyed between a listing and the action on its item, windows created, destroyed and
// retitled, and the last panel closed and opened again. ShowAllWindowAtExit is 0 until the end,
// so no close restores anything.
//
// Every listing is checked whole: each live eligible window of the run listed once with its
// exact title, status and handle text, nothing else of the run's and no destroyed window. The
// windows each operation touches are checked against a model of the host's table of hidden
// windows (hidden_table_model.h): FAR 1.x's twenty slots, or FAR 3's growing table. At the end
// ShowAllWindowAtExit is set to 1 in the configuration dialog and the last panel closed: every
// window Velumo hid is visible again.
//
// The host's side comes as a StressHost: how it lists, hands items over, types a command, and
// what titles its code pages hold.
#pragma once

#include "desktop_test.h"
#include "hidden_table_model.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>

namespace winetest {

// One listed item as either host shows it.
struct StressItem {
    HWND window;
    std::wstring title, status, handleText;
    bool plain; // the front end's columns, nothing for FAR to free, no attribute FAR filters on
};

struct StressHost {
    const char* name;
    int operations;
    uint32_t seed;
    std::vector<std::wstring> titlePieces; // a title is one to three of them and its marks
    std::vector<std::wstring> hideTexts;   // typed besides marks and fragments of titles
    bool longTitles;                       // now and then thousands of code units
    bool growingTable;                     // FAR 3's table grows; FAR 1.x's stops at twenty
    std::function<HWND(const std::wstring& title, DWORD style)> makeWindow;
    std::function<void(HWND window, const std::wstring& title)> retitle;
    std::function<std::vector<StressItem>()> list; // the open panel's items, anew
    // The user's keys on these items of the last listing (Alt+F3 with altKey 1 or 2): the hook
    // leaves in *items those the host handed over, in the order handed; false when the plug-in
    // did not take the key as it should.
    std::function<bool(std::vector<StressItem>* items)> pressF8;
    std::function<bool(std::vector<StressItem>* selection, int altKey)> pressF3;
    std::function<bool(const std::wstring& text)> hideCommand;
    std::function<bool(bool open)> lastPanel; // the last panel closed, or opened again
    std::function<bool()> restoreAtExit;      // ShowAllWindowAtExit 1, set in the dialog
};

class StressRun {
  public:
    explicit StressRun(const StressHost& host)
        : host_(host), random_(host.seed), table_(host.growingTable) {}
    ~StressRun() {
        for (const auto& modelled : model_) {
            DestroyWindow(modelled.first);
        }
        PumpMessages();
    }

    void Run() {
        const auto started = std::chrono::steady_clock::now();
        for (int i = 0; i < 300; ++i) {
            ASSERT_NE(nullptr, NewWindow(true));
        }
        PumpMessages();
        ASSERT_TRUE(host_.lastPanel(true));
        ListAndCheck();
        for (operation_ = 0; operation_ < host_.operations && failures_ < 5; ++operation_) {
            RunOperation();
        }
        ASSERT_LT(failures_, 5) << "stopped early: the first mismatches tell most";

        description_ = "the last close with ShowAllWindowAtExit 1";
        ASSERT_TRUE(host_.restoreAtExit());
        ASSERT_TRUE(host_.lastPanel(false));
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
            hiddenAndAlive += model_.count(window) != 0 ? 1 : 0;
        }
        description_ = "the listing after the restore";
        ASSERT_TRUE(host_.lastPanel(true));
        ListAndCheck();

        // The run met what it is meant to meet.
        if (host_.growingTable) {
            EXPECT_GT(counts_["hides into a grown table"], 1000);
            EXPECT_EQ(0, counts_["hides refused by the table"]);
        } else {
            EXPECT_GT(counts_["hides refused by the table"], 1000);
        }
        EXPECT_GT(counts_["actions on destroyed windows"], 50);
        EXPECT_GT(counts_["shows"], 300);
        EXPECT_GT(counts_["command lines that toggled"], 100);
        EXPECT_GT(counts_["last closes"], 20);
        if (host_.longTitles) {
            EXPECT_GT(counts_["very long titles listed"], 1000);
        }
        EXPECT_GT(hiddenAndAlive, 100) << "too few of the windows alive at the end were hidden";
        EXPECT_GE(restored, 3) << "too few windows were hidden at the last close";
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        printf("%s stress: %d operations, %d windows made, in %.1f s:", host_.name,
               host_.operations, nextId_, seconds);
        for (const auto& count : counts_) {
            printf(" %s %d;", count.first.c_str(), count.second);
        }
        printf(" hidden and alive at the end %d; restored %d\n", hiddenAndAlive, restored);
    }

  private:
    struct Modelled {
        int id;
        std::wstring title;
        bool visible;
    };

    uint32_t Draw(size_t range) {
        return static_cast<uint32_t>(random_() % static_cast<uint32_t>(range));
    }
    template <typename List> const auto& DrawFrom(const List& list) {
        return list[Draw(list.size())];
    }

    // "#0042#": one window's own mark; "[g07]": the mark of one in sixteen windows.
    static std::wstring Padded(int number, size_t width) {
        const std::wstring digits = std::to_wstring(number);
        return std::wstring(digits.size() < width ? width - digits.size() : 0, L'0') + digits;
    }
    static std::wstring Marker(int id) { return L"#" + Padded(id, 4) + L"#"; }
    static std::wstring Group(int group) { return L"[g" + Padded(group, 2) + L"]"; }

    std::wstring MakeTitle(int id) {
        std::wstring title;
        for (uint32_t i = 0, n = 1 + Draw(3); i < n; ++i) {
            title += DrawFrom(host_.titlePieces) + L" ";
        }
        title += Marker(id) + L" " + Group(id % 16);
        if (host_.longTitles && Draw(12) == 0) {
            for (size_t length = 300 + Draw(4000); title.size() < length;) {
                title += L" " + DrawFrom(host_.titlePieces);
            }
        }
        return title;
    }

    static std::string Shown(const std::wstring& title) {
        std::string shown;
        for (size_t i = 0; i < title.size() && i < 40; ++i) {
            shown += title[i] < 0x80 ? static_cast<char>(title[i]) : '?';
        }
        return title.size() <= 40 ? shown : shown + "... (" + std::to_string(title.size()) + ")";
    }

    void Mismatch(const std::string& what) {
        ++failures_;
        ADD_FAILURE() << "operation " << operation_ << " (" << description_ << "): " << what;
    }

    // The title as Windows keeps it must be the one set, or the checks would blame the plug-in
    // for the window system.
    void CheckTitleKept(HWND window, const std::wstring& title) {
        if (WholeTitleOf(window) != title) {
            Mismatch("Windows keeps another title than \"" + Shown(title) + "\"");
        }
    }

    HWND NewWindow(bool visible) {
        const int id = nextId_++;
        const std::wstring title = MakeTitle(id);
        HWND window = host_.makeWindow(title, visible ? kVisibleWindow : kInvisibleWindow);
        if (window == nullptr) {
            Mismatch("CreateWindowEx failed, error " + std::to_string(GetLastError()));
            return nullptr;
        }
        model_[window] = {id, title, visible};
        windows_.push_back(window);
        CheckTitleKept(window, title);
        ++counts_["created"];
        return window;
    }

    void Retitle(HWND window) {
        Modelled& modelled = model_[window];
        modelled.title = Draw(16) == 0 ? std::wstring() : MakeTitle(modelled.id);
        description_ = "retitle " + HandleText(window);
        host_.retitle(window, modelled.title);
        CheckTitleKept(window, modelled.title);
        ++counts_[modelled.title.empty() ? "retitled without a title" : "retitled"];
    }

    void Destroy(HWND window) {
        description_ = "destroy " + HandleText(window);
        DestroyWindow(window);
        PumpMessages();
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
        } else if (!modelled->second.visible) {
            modelled->second.visible = true;
            table_.Remove(window);
            ++counts_["shows"];
        } else if (table_.Add(window)) {
            modelled->second.visible = false;
            everHidden_.insert(window);
            ++counts_["hides"];
            if (table_.SlotCount() > 20) {
                ++counts_["hides into a grown table"];
            }
        } else {
            ++counts_["hides refused by the table"];
        }
    }

    void CheckVisibility(HWND window) {
        auto modelled = model_.find(window);
        const bool seen = IsWindowVisible(window) != FALSE;
        if (modelled != model_.end() && seen != modelled->second.visible) {
            Mismatch(Named(window) + ": expected " +
                     (modelled->second.visible ? "visible" : "hidden") + ", seen " +
                     (seen ? "visible" : "hidden"));
        }
    }

    // The foreground window and the top of the run's windows in the z-order. Two Wine facts:
    // - ShowWindow(SW_SHOW) on a hidden window already activates it (Windows does the same), and
    //   BringWindowToTop activates a top-level window too (Windows again). So after a show, the
    //   foreground window proves that the window was shown and raised, not which call did it;
    //   an F3 on a window that is visible but in the background proves the activation.
    // - Under Wine 8 (unmanaged X11 windows, no window manager) SetForegroundWindow makes the
    //   window the foreground window without raising it in the z-order (seen: GetTopWindow
    //   unchanged), where Windows also raises it. A window at the top of the z-order after an
    //   action is therefore BringWindowToTop's doing.
    void CheckInFront(HWND window) {
        HWND topmost = nullptr;
        for (HWND listed : harness::TopLevelWindows()) {
            if (topmost == nullptr && model_.count(listed) != 0) {
                topmost = listed;
            }
        }
        if (GetForegroundWindow() != window || topmost != window) {
            Mismatch(Named(window) + " is not in front: the foreground window is " +
                     Named(GetForegroundWindow()) + ", the topmost " + Named(topmost));
        }
    }

    void CheckAllVisibility() {
        for (HWND window : windows_) {
            CheckVisibility(window);
        }
    }

    // Lists the panel and checks it whole against the model.
    void ListAndCheck() {
        lastListing_.clear();
        std::map<HWND, int> times;
        for (const StressItem& item : host_.list()) {
            if (destroyed_.count(item.window) != 0) {
                Mismatch("destroyed window " + HandleText(item.window) + " listed");
            }
            auto modelled = model_.find(item.window);
            if (modelled == model_.end()) {
                continue;
            }
            lastListing_.push_back(item);
            ++times[item.window];
            const std::wstring status = std::wstring(modelled->second.visible ? L" " : L"H") +
                                        L"  " + (table_.Contains(item.window) ? L"D" : L" ");
            const std::string handle = HandleText(item.window);
            if (item.title != modelled->second.title || item.status != status ||
                item.handleText != std::wstring(handle.begin(), handle.end()) || !item.plain) {
                Mismatch("window " + handle + ": expected \"" + Shown(modelled->second.title) +
                         "\" status \"" + Shown(status) + "\"; seen \"" + Shown(item.title) +
                         "\" status \"" + Shown(item.status) + "\", handle text \"" +
                         Shown(item.handleText) + "\", plain " + std::to_string(item.plain));
            }
            counts_["very long titles listed"] += item.title.size() >= 512 ? 1 : 0;
        }
        for (const auto& modelled : model_) {
            if (times[modelled.first] != (Eligible(modelled.first) ? 1 : 0)) {
                Mismatch(Named(modelled.first) + " (" +
                         (modelled.second.visible ? "visible" : "hidden") + "): listed " +
                         std::to_string(times[modelled.first]) + " times");
            }
        }
        ++counts_["listings"];
    }

    // An item of the last listing; half the time a hidden one, when there is one, so that
    // shows come as often as hides.
    const StressItem* PickListed() {
        if (lastListing_.empty()) {
            return nullptr;
        }
        std::vector<const StressItem*> hidden;
        for (const StressItem& item : lastListing_) {
            if (item.status[0] == L'H') {
                hidden.push_back(&item);
            }
        }
        return Draw(2) == 0 && !hidden.empty() ? DrawFrom(hidden) : &DrawFrom(lastListing_);
    }

    void PressF8(std::vector<StressItem> items) {
        description_ = "F8 on " + std::to_string(items.size()) + " items";
        if (!host_.pressF8(&items)) {
            Mismatch("DeleteFiles refused");
        }
        const int shows = counts_["shows"];
        for (const StressItem& item : items) {
            ModelToggle(item.window);
        }
        for (const StressItem& item : items) {
            CheckVisibility(item.window);
        }
        // A window F8 shows comes to the front: the foreground window, at the top of the z-order.
        if (items.size() == 1 && counts_["shows"] != shows) {
            PumpMessages();
            CheckInFront(items[0].window);
        }
        ++counts_["F8"];
    }

    // F3 takes the first item of the selection.
    void PressF3(std::vector<StressItem> selection) {
        const int alt = static_cast<int>(Draw(3));
        description_ = std::string(alt != 0 ? "Alt+F3" : "F3") + " with " +
                       std::to_string(selection.size()) + " selected";
        HWND foreground = GetForegroundWindow();
        if (!host_.pressF3(&selection, alt)) {
            Mismatch("F3 not handled");
        }
        PumpMessages();
        HWND target = selection.empty() ? nullptr : selection[0].window;
        auto modelled = model_.find(target);
        if (modelled != model_.end()) {
            modelled->second.visible = true; // shown if need be; the table is left alone
            CheckVisibility(target);
            CheckInFront(target);
        } else if (GetForegroundWindow() != foreground) {
            Mismatch("nothing selected or a destroyed window, yet " + Named(GetForegroundWindow()) +
                     " was activated");
        }
        counts_["actions on destroyed windows"] += target != nullptr && modelled == model_.end();
        ++counts_["F3"];
    }

    // A window's own marker, its group, a fixed text, or a fragment of a title holding a mark
    // character, so that none matches the titles of Wine's own helper windows.
    std::wstring DrawHideText() {
        switch (Draw(4)) {
        case 0:
            return Marker(static_cast<int>(Draw(static_cast<size_t>(nextId_))));
        case 1:
            return Group(static_cast<int>(Draw(16)));
        case 2:
            return DrawFrom(host_.hideTexts);
        default:
            const std::wstring& title = model_.at(DrawFrom(windows_)).title;
            const std::wstring fragment =
                title.size() > 2 ? title.substr(Draw(title.size() - 2), 2 + Draw(5)) : L"";
            const bool marked =
                fragment.find_first_of(L"#[]") != std::wstring::npos ||
                std::any_of(fragment.begin(), fragment.end(), [](wchar_t c) { return c >= 0x80; });
            return marked ? fragment : Group(0);
        }
    }

    // The model toggles the eligible windows whose title holds the text, in the order of the
    // plug-in's enumeration.
    void HideFromCommandLine() {
        const std::wstring text = DrawHideText();
        description_ = "hide:" + Shown(text);
        const int toggledBefore = counts_["hides"] + counts_["shows"];
        for (HWND window : harness::TopLevelWindows()) {
            if (model_.count(window) != 0 && Eligible(window) &&
                model_.at(window).title.find(text) != std::wstring::npos) {
                ModelToggle(window);
            }
        }
        counts_["command lines that toggled"] +=
            counts_["hides"] + counts_["shows"] != toggledBefore ? 1 : 0;
        if (!host_.hideCommand(text)) {
            Mismatch("the command line opened no panel");
        }
        CheckAllVisibility();
        ++counts_["command lines"];
    }

    // The last panel closes (nothing comes back), maybe a command line meanwhile, and the panel
    // is opened again.
    void ReopenPanel() {
        description_ = "the last panel closed";
        if (!host_.lastPanel(false)) {
            Mismatch("the last panel did not close");
        }
        CheckAllVisibility();
        if (Draw(2) == 0) {
            HideFromCommandLine();
        }
        description_ = "the panel opened again";
        if (!host_.lastPanel(true)) {
            Mismatch("the panel did not open again");
            return;
        }
        ListAndCheck();
        ++counts_["last closes"];
    }

    void RunOperation() {
        const uint32_t kind = Draw(100);
        if (kind < 27) {
            std::vector<StressItem> items;
            for (uint32_t i = 0, count = 1 + Draw(3); i < count && !lastListing_.empty(); ++i) {
                items.push_back(*PickListed());
            }
            PressF8(items);
        } else if (kind < 39) {
            // One or two of any listed windows, so that few recorded windows become visible
            // ones that keep their slot; now and then nothing selected.
            std::vector<StressItem> selection;
            for (uint32_t i = 0, n = Draw(10) != 0 ? 1 + Draw(2) : 0;
                 i < n && !lastListing_.empty(); ++i) {
                selection.push_back(DrawFrom(lastListing_));
            }
            PressF3(selection);
        } else if (kind < 52) {
            description_ = "listing";
            ListAndCheck();
        } else if (kind < 63) {
            HideFromCommandLine();
        } else if (kind < 70) {
            // Destroyed between the listing and the action on its item.
            const StressItem* item = PickListed();
            if (item != nullptr && model_.count(item->window) != 0 && windows_.size() > 250) {
                std::vector<StressItem> stale = {*item};
                Destroy(item->window);
                if (Draw(2) == 0) {
                    stale.push_back(*PickListed());
                    PressF8(stale);
                } else {
                    PressF3(stale);
                }
            }
        } else if (kind < 77) {
            if (windows_.size() > 250) {
                Destroy(DrawFrom(windows_));
            }
        } else if (kind < 86) {
            if (windows_.size() < 340) {
                description_ = "create";
                NewWindow(Draw(10) != 0); // one in ten invisible, never listed
                PumpMessages();
            }
        } else if (kind < 97) {
            Retitle(DrawFrom(windows_));
        } else {
            ReopenPanel();
        }
    }

    const StressHost& host_;
    std::mt19937 random_;
    int nextId_ = 0;
    int operation_ = -1;
    int failures_ = 0;
    std::string description_ = "set-up";
    TableModel table_;
    std::vector<HWND> windows_; // alive, in the order made
    std::map<HWND, Modelled> model_;
    std::set<HWND> everHidden_, destroyed_;
    std::vector<StressItem> lastListing_;
    std::map<std::string, int> counts_;
};

} // namespace winetest
