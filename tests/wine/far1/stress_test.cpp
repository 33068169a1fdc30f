// The long random run (../stress_run.h) of the FAR 1.x plug-in through far1host, on windows with
// ANSI titles that stay short of the 127 characters a listed title keeps. Each command line
// opens and closes a panel of its own.
#include "../stress_run.h"
#include "far1_fixture.h"

namespace winetest {
namespace {

class Far1Stress : public Far1Test {};

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

TEST_F(Far1Stress, FiveThousandRandomOperationsOnThreeHundredWindows) {
    HANDLE panel = nullptr;
    StressHost host;
    host.name = "far1";
    host.operations = 5000;
    host.seed = 0x5E1F2024u;
    host.titlePieces = {L"Velumo", L"stress", L"Report", L"notes.txt", L"-", L"Editor"};
    host.hideTexts = {L"Velumo st", L"Report #", L"] ", L"#00"};
    host.longTitles = false;
    host.growingTable = false;
    host.makeWindow = [](const std::wstring& title, DWORD style) {
        return harness::MakeWindow(Narrow(title), style);
    };
    host.retitle = [](HWND window, const std::wstring& title) {
        SetWindowTextA(window, Narrow(title).c_str());
    };
    host.list = [&panel]() {
        std::vector<StressItem> items;
        for (const far1host::ListedItem& item : far1host::ListPanel(panel)) {
            items.push_back({WindowOf(item), Widen(item.title), Widen(item.status),
                             Widen(item.handleText), item.customColumnNumber == 2});
        }
        return items;
    };
    // The host's copies of the items, as FAR hands them over.
    const auto copies = [](const std::vector<StressItem>& items) {
        std::vector<far1::PluginPanelItem> copies;
        for (const StressItem& item : items) {
            copies.push_back(far1host::PanelItemFrom(
                {Narrow(item.title), "", "", reinterpret_cast<uintptr_t>(item.window), 2}));
        }
        return copies;
    };
    host.pressF8 = [this, &panel, copies](std::vector<StressItem>* items) {
        std::vector<far1::PluginPanelItem> handed = copies(*items);
        return Plugin().DeleteFiles(panel, handed.data(), static_cast<int>(handed.size()), 0) == 1;
    };
    // Whatever the selection holds, even a destroyed window, the panel is updated and redrawn.
    host.pressF3 = [&panel, copies](std::vector<StressItem>* selection, int altKey) {
        far1host::ClearRecords();
        far1host::SetPanelSelection(copies(*selection));
        const unsigned state = altKey != 0 ? unsigned{far1::PKF_ALT} : 0u;
        const bool handled = far1host::PressKey(panel, VK_F3, state) == 1;
        std::vector<int> commands;
        for (const far1host::ControlCall& call : far1host::ControlCalls()) {
            commands.push_back(call.command);
        }
        return handled &&
               commands == std::vector<int>{far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL,
                                            far1::FCTL_REDRAWPANEL};
    };
    host.hideCommand = [this](const std::wstring& text) {
        HANDLE command = OpenFromCommandLine(Narrow(text));
        ClosePanel(command);
        return command != nullptr && command != INVALID_HANDLE_VALUE;
    };
    host.lastPanel = [this, &panel](bool open) {
        if (open) {
            panel = OpenPanel();
        } else {
            ClosePanel(panel);
        }
        return panel != nullptr && panel != INVALID_HANDLE_VALUE;
    };
    host.restoreAtExit = [this]() {
        far1host::DialogAnswer restore;
        restore.result = 10;
        restore.checks = {{8, 1}}; // ShowAllWindowAtExit
        far1host::QueueDialogAnswer(restore);
        return Plugin().Configure(0) == 1;
    };

    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    StressRun(host).Run();
}

} // namespace
} // namespace winetest
