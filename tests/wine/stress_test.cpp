// A long random run against real windows: 300 windows to start with and 5,000 operations
// drawn from a fixed seed: F8 on items of the last listing, F3/Alt+F3 with a scripted
// selection, listings, "hide:" command lines (each its own OpenPlugin and ClosePlugin, with
// ShowAllWindowAtExit 0), windows destroyed between a listing and the action on it, windows
// destroyed and created. The windows each operation touches are checked against a model of
// the plug-in's twenty-slot table, every listing is checked whole, and at the end, once the
// panel is closed with ShowAllWindowAtExit 1, every window the plug-in hid is visible again
// and no listed item shows "H" together with "D".
#include "wine_fixture.h"
#include "hidden_table_model.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>

namespace winetest {
namespace {

constexpr int kInitialWindows = 300;
constexpr int kOperations = 5000;
constexpr int kGroups = 16;
constexpr size_t kMinimumLive = 250;
constexpr size_t kMaximumLive = 340;
constexpr uint32_t kSeed = 0x5E1F2024u;
constexpr int kFailureLimit = 5; // stop after this many mismatches: the first one tells most

HWND WindowOfItem(const far1::PluginPanelItem& item) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(item.UserData));
}

class Stress : public WineDesktopTest {
  protected:
    uint32_t Draw(size_t range) {
        return static_cast<uint32_t>(random_() % static_cast<uint32_t>(range));
    }

    HWND NewWindow() {
        char title[64];
        snprintf(title, sizeof(title), "Velumo stress #%04d# g%02d;", nextId_, nextId_ % kGroups);
        ++nextId_;
        HWND window = MakeWindow(title);
        if (window != nullptr) {
            visible_[window] = true;
        }
        return window;
    }

    // The model's toggle of one window, in the order the plug-in handles them.
    void ModelToggle(HWND window) {
        if (!IsWindow(window)) {
            ++counts_["actions on destroyed windows"];
            table_.Remove(window);
        } else if (visible_[window]) {
            if (table_.Add(window)) {
                visible_[window] = false;
                everHidden_.insert(window);
                ++counts_["hides"];
            } else {
                ++counts_["hides refused by the full table"];
            }
        } else {
            visible_[window] = true;
            table_.Remove(window);
            ++counts_["shows"];
        }
    }

    void Mismatch(const std::string& what) {
        ++failures_;
        ADD_FAILURE() << "operation " << operation_ << " (" << description_ << "): " << what;
    }

    void CheckVisibility(HWND window) {
        if (!IsWindow(window)) {
            return;
        }
        bool seen = IsWindowVisible(window) != FALSE;
        if (seen != visible_[window]) {
            Mismatch("window " + HandleText(window) + " \"" + WindowTitle(window) +
                     "\": expected " + (visible_[window] ? "visible" : "hidden") + ", seen " +
                     (seen ? "visible" : "hidden"));
        }
    }

    // Lists the panel and checks every item of this test's windows against the model.
    void ListAndCheck(HANDLE panel) {
        std::vector<far1host::ListedItem> all = far1host::ListPanel(panel);
        lastListing_.clear();
        std::set<HWND> listed;
        for (const far1host::ListedItem& item : all) {
            HWND window = WindowOf(item);
            if (destroyed_.count(window) != 0) {
                Mismatch("destroyed window " + HandleText(window) + " listed");
            }
            if (!IsOwnWindow(window)) {
                continue;
            }
            lastListing_.push_back(item);
            listed.insert(window);
            std::string expected = visible_[window] ? " " : "H";
            expected += "  ";
            expected += table_.Contains(window) ? "D" : " ";
            if (item.status != expected || item.handleText != HandleText(window)) {
                Mismatch("window " + HandleText(window) + ": expected status \"" + expected +
                         "\", seen \"" + item.status + "\" (handle text " + item.handleText + ")");
            }
        }
        for (HWND window : windows_) {
            bool eligible = visible_[window] || table_.Contains(window);
            if (eligible != (listed.count(window) != 0)) {
                Mismatch("window " + HandleText(window) + ": expected " +
                         (eligible ? "listed" : "not listed"));
            }
        }
    }

    // An item of the last listing; half the time a hidden one, when there is one, so that
    // shows come as often as hides.
    const far1host::ListedItem* PickListed() {
        if (lastListing_.empty()) {
            return nullptr;
        }
        if (Draw(2) == 0) {
            std::vector<const far1host::ListedItem*> hidden;
            for (const far1host::ListedItem& item : lastListing_) {
                if (item.status[0] == 'H') {
                    hidden.push_back(&item);
                }
            }
            if (!hidden.empty()) {
                return hidden[Draw(hidden.size())];
            }
        }
        return &lastListing_[Draw(lastListing_.size())];
    }

    std::vector<far1::PluginPanelItem> PickItems(size_t most) {
        std::vector<far1::PluginPanelItem> picked;
        size_t count = 1 + Draw(most);
        for (size_t i = 0; i < count; ++i) {
            if (const far1host::ListedItem* item = PickListed()) {
                picked.push_back(far1host::PanelItemFrom(*item));
            }
        }
        return picked;
    }

    void PressF8(HANDLE panel, const std::vector<far1::PluginPanelItem>& items) {
        description_ = "F8 on " + std::to_string(items.size()) + " items";
        for (const far1::PluginPanelItem& item : items) {
            ModelToggle(WindowOfItem(item));
        }
        std::vector<far1::PluginPanelItem> handedOver = items; // the host's own copy
        if (Plugin().DeleteFiles(panel, handedOver.data(), static_cast<int>(handedOver.size()),
                                 0) != 1) {
            Mismatch("DeleteFiles did not report 1");
        }
        for (const far1::PluginPanelItem& item : items) {
            CheckVisibility(WindowOfItem(item));
        }
        ++counts_["F8"];
    }

    void PressF3(HANDLE panel, const std::vector<far1::PluginPanelItem>& selection) {
        const unsigned state = Draw(2) ? static_cast<unsigned>(far1::PKF_ALT) : 0u;
        description_ = std::string(state ? "Alt+F3" : "F3") + " with " +
                       std::to_string(selection.size()) + " selected";
        far1host::SetPanelSelection(selection);
        HWND target = selection.empty() ? nullptr : WindowOfItem(selection[0]);
        if (target != nullptr) {
            if (IsWindow(target)) {
                visible_[target] = true; // shown if need be; the table is left alone
            } else {
                ++counts_["actions on destroyed windows"];
            }
        }
        if (far1host::PressKey(panel, VK_F3, state) != 1) {
            Mismatch("ProcessKey(F3) did not report 1");
        }
        PumpMessages();
        if (target != nullptr && IsWindow(target)) {
            CheckVisibility(target);
            if (GetForegroundWindow() != target) {
                Mismatch("activated window " + HandleText(target) +
                         " is not the foreground window");
            }
        }
        ++counts_["F3"];
    }

    void ToggleFromCommandLine() {
        char text[32];
        if (Draw(2)) {
            snprintf(text, sizeof(text), "#%04d#", static_cast<int>(Draw(nextId_)));
        } else {
            snprintf(text, sizeof(text), " g%02d;", static_cast<int>(Draw(kGroups)));
        }
        description_ = std::string("hide:") + text;
        for (HWND window : OwnZOrder()) { // the order of the plug-in's enumeration
            bool eligible = visible_[window] || table_.Contains(window);
            if (eligible && WindowTitle(window).find(text) != std::string::npos) {
                ModelToggle(window);
            }
        }
        ClosePanel(OpenFromCommandLine(text)); // ShowAllWindowAtExit 0: nothing restored
        for (HWND window : windows_) {
            CheckVisibility(window);
        }
        ++counts_["command lines"];
    }

    void Destroy(HWND window) {
        description_ = "destroy " + HandleText(window);
        DestroyOwnWindow(window);
        visible_.erase(window);
        destroyed_.insert(window);
        ++counts_["destroyed"];
    }

    std::mt19937 random_{kSeed};
    int nextId_ = 0;
    int operation_ = -1;
    std::string description_ = "set-up";
    TableModel table_;
    std::map<HWND, bool> visible_;
    std::set<HWND> everHidden_, destroyed_;
    std::vector<far1host::ListedItem> lastListing_;
    std::map<std::string, int> counts_;
    int failures_ = 0;
};

TEST_F(Stress, FiveThousandRandomOperationsOnThreeHundredWindows) {
    const auto started = std::chrono::steady_clock::now();
    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    for (int i = 0; i < kInitialWindows; ++i) {
        ASSERT_NE(nullptr, NewWindow());
    }
    HANDLE panel = OpenPanel();
    ListAndCheck(panel);

    for (operation_ = 0; operation_ < kOperations && failures_ < kFailureLimit; ++operation_) {
        const uint32_t kind = Draw(100);
        if (kind < 30) {
            PressF8(panel, PickItems(3));
        } else if (kind < 42) {
            // Now and then with nothing selected.
            PressF3(panel, Draw(10) != 0 ? PickItems(2) : std::vector<far1::PluginPanelItem>());
        } else if (kind < 57) {
            description_ = "listing";
            ListAndCheck(panel);
            ++counts_["listings"];
        } else if (kind < 67) {
            ToggleFromCommandLine();
        } else if (kind < 75) {
            // Destroyed between the listing and the action on its item.
            const far1host::ListedItem* item = PickListed();
            if (item != nullptr && IsOwnWindow(WindowOf(*item)) && windows_.size() > kMinimumLive) {
                std::vector<far1::PluginPanelItem> stale = {far1host::PanelItemFrom(*item)};
                Destroy(WindowOf(*item));
                if (Draw(2)) {
                    if (const far1host::ListedItem* other = PickListed()) {
                        stale.push_back(far1host::PanelItemFrom(*other));
                    }
                    PressF8(panel, stale);
                } else {
                    PressF3(panel, stale);
                }
            }
        } else if (kind < 84) {
            if (windows_.size() > kMinimumLive) {
                Destroy(windows_[Draw(windows_.size())]);
            }
        } else if (windows_.size() < kMaximumLive) {
            description_ = "create";
            if (NewWindow() == nullptr) {
                Mismatch("CreateWindowExA failed");
            }
            ++counts_["created"];
        }
    }
    ASSERT_LT(failures_, kFailureLimit) << "stopped early";

    // Close the panel with ShowAllWindowAtExit 1, set through the configuration dialog.
    far1host::DialogAnswer restore;
    restore.result = 10;
    restore.checks = {{8, 1}};
    far1host::QueueDialogAnswer(restore);
    ASSERT_EQ(1, Plugin().Configure(0));
    ClosePanel(panel);
    int hiddenAndAlive = 0;
    for (HWND window : everHidden_) {
        if (IsWindow(window)) {
            ++hiddenAndAlive;
            EXPECT_VISIBLE(window);
        }
    }
    for (HWND window : windows_) {
        EXPECT_VISIBLE(window); // every window of the run was never hidden, or was restored
    }
    panel = OpenPanel();
    for (const far1host::ListedItem& item : far1host::ListPanel(panel)) {
        EXPECT_FALSE(item.status[0] == 'H' && item.status[3] == 'D')
            << "window " << item.handleText << " \"" << Printable(item.title)
            << "\" is recorded and hidden after the restore: \"" << item.status << "\"";
    }
    ClosePanel(panel);

    // The run met what it is meant to meet.
    EXPECT_GT(counts_["hides refused by the full table"], 50);
    EXPECT_GT(counts_["actions on destroyed windows"], 50);
    EXPECT_GT(counts_["shows"], 200);
    EXPECT_GT(hiddenAndAlive, 20) << "too few windows were hidden";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printf("stress: %d operations in %.1f s:", kOperations, seconds);
    for (const auto& count : counts_) {
        printf(" %s %d;", count.first.c_str(), count.second);
    }
    printf(" hidden at some point and restored at the close %d\n", hiddenAndAlive);
}

} // namespace
} // namespace winetest
