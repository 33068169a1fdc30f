// The long random run (../stress_run.h) of the FAR 3 plug-in through far3host, on windows whose
// titles mix Japanese, Chinese, Korean, Cyrillic, Greek, Hebrew, emoji (one of them a ZWJ
// sequence), letters with combining marks beside their precomposed forms, and titles thousands
// of code units long. Each command line is typed in the other panel, a file panel, and that
// panel left with "..".
#include "../stress_run.h"
#include "far3_fixture.h"

namespace far3test {
namespace {

using namespace far3host;

class Far3Stress : public Far3Test {};

TEST_F(Far3Stress, ThreeThousandRandomOperationsOnThreeHundredUnicodeWindows) {
    StressHost host;
    host.name = "far3";
    host.operations = 3000;
    host.seed = 0xF3A20269u;
    // "Cafe\u0301" and "Café" look alike and share no "é".
    host.titlePieces = {L"日本語の文書", L"中文窗口",
                        L"한국어 창",    L"Отчёт",
                        L"Документ №7",  L"Ελληνικά",
                        L"עברית",        L"🙂",
                        L"🚀 start",      L"👨‍👩‍👧 family",
                        L"Café",         L"Cafe\u0301",
                        L"man\u0303ana", L"Z\u0336a\u0337",
                        L"résumé",       L"plain words"};
    // A lone high surrogate and a lone combining mark match as code units, as FAR hands them.
    host.hideTexts = {L"日本",   L"Отчёт",  L"🙂",   L"é",  L"e\u0301",
                      L"\u0301", L"\u200D", L"\xD83D", L"№7 "};
    host.longTitles = true;
    host.growingTable = true;
    host.makeWindow = [](const std::wstring& title, DWORD style) {
        return harness::MakeWindowW(title, style);
    };
    host.retitle = [](HWND window, const std::wstring& title) {
        SetWindowTextW(window, title.c_str());
    };
    // Every window is this program's: each item names it.
    host.list = [program = OwnProgram()]() {
        std::vector<StressItem> items;
        for (const ListedItem& item : ListPanel(kLeftPanel)) {
            const bool columns = item.customColumns.size() == 4;
            const bool named = columns && item.customColumns[2] == program.fileName &&
                               item.customColumns[3] == program.processId &&
                               item.description == program.path;
            items.push_back(
                {WindowOf(item), item.fileName, columns ? item.customColumns[0] : L"",
                 columns ? item.customColumns[1] : L"",
                 named && item.userData.FreeData == nullptr && item.fileAttributes == 0});
        }
        return items;
    };
    // FAR hands over the items of its latest reading of the panel, in the panel's order.
    const auto select = [this](std::vector<StressItem>* items) {
        std::vector<StressItem> handed;
        for (const ListedItem& listed : PanelAt(kLeftPanel).items) {
            for (const StressItem& item : *items) {
                if (!listed.isDots && WindowOf(listed) == item.window) {
                    handed.push_back(item);
                    break;
                }
            }
        }
        items->swap(handed);
        std::vector<HWND> windows;
        for (const StressItem& item : *items) {
            windows.push_back(item.window);
        }
        Select(windows);
    };
    host.pressF8 = [select](std::vector<StressItem>* items) {
        select(items);
        const auto deletes = [] {
            return std::count_if(
                PluginCalls().begin(), PluginCalls().end(),
                [](const PluginCall& call) { return call.call == Call::DeleteFiles; });
        };
        const auto before = deletes();
        return PressKey(VK_F8, 0) == 0 && deletes() == before + (items->empty() ? 0 : 1);
    };
    host.pressF3 = [select](std::vector<StressItem>* selection, int altKey) {
        selection->resize(std::min<size_t>(selection->size(), 1));
        select(selection);
        const DWORD states[] = {0, LEFT_ALT_PRESSED, RIGHT_ALT_PRESSED};
        return PressKey(VK_F3, states[altKey]) == 1;
    };
    // The table grows for every window hidden: no message says one was left visible.
    host.hideCommand = [](const std::wstring& text) {
        const size_t messages = MessageCalls().size();
        SetActivePanel(kRightPanel);
        const bool opened = TypeCommand(L"hide:" + text) != nullptr && EnterDotDot() &&
                            PanelAt(kRightPanel).plugin == nullptr;
        SetActivePanel(kLeftPanel);
        return opened && MessageCalls().size() == messages;
    };
    host.lastPanel = [](bool open) {
        return open ? OpenInActivePanel() != nullptr
                    : EnterDotDot() && PanelAt(kLeftPanel).plugin == nullptr;
    };
    host.restoreAtExit = [this]() { return ConfigureClicking({16}, true) == 1; };

    StartFar1({Setting(L"ShowAllWindowAtExit", 0)});
    StressRun(host).Run();
}

} // namespace
} // namespace far3test
