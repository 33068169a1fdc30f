// The FAR 3 Wine suite's fixture: the real far3/Velumo/Velumo.dll of this build driven through
// far3host, the FAR 3 stand-in in sim/far3, against the test's own real windows with UTF-16
// titles (desktop_test.h). Messages are "m<id>", as many as the language file beside the DLL
// holds, so a listing or dialog shows which message id it used. TearDown makes FAR exit (every
// panel closed: the last close shows again what Velumo hid) and fails the test on anything the
// stand-in saw that FAR would warn about, refuse or not survive (far3host::Anomaly), and on a
// settings handle or dialog left open.
#pragma once

#include "../desktop_test.h"
#include "far3_host.h"

#include <string>
#include <vector>

namespace far3test {

using far3host::ListedItem;
using namespace winetest;

class Far3Test : public DesktopTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // FAR starts anew with these settings in its store (RestartPlugin: with the store the
    // previous start left): a panel still open is closed first (ExitFARW).
    void StartFar3(const std::vector<far3host::StoredSetting>& settings);
    void RestartPlugin();
    // The active panel's listing, reduced to the items of this test's windows.
    std::vector<ListedItem> OwnItems();
    // Selects the items of `windows` in the active panel as it was last read, with the cursor
    // on "..".
    void Select(const std::vector<HWND>& windows);
    // The configuration dialog: the check boxes labelled with messages `labels` clicked, then
    // OK (`confirm`) or Cancel. Gives ConfigureW's result. A first run, left with Esc, finds
    // where the items are.
    intptr_t ConfigureClicking(const std::vector<int>& labels, bool confirm);
};

// One FST_QWORD value of the roaming store.
far3host::StoredSetting Setting(const wchar_t* name, unsigned long long value);
HWND WindowOf(const ListedItem& item);
// The window is listed once, with this status, its handle text and its whole title as Windows
// keeps it; a null status: it is not listed.
void ExpectListed(const char* file, int line, const std::vector<ListedItem>& items, HWND window,
                  const wchar_t* status);
// The index of the dialog item labelled with message `id`; a failure and -1 when there is none.
intptr_t ItemLabelled(const far3host::DialogCall& dialog, int id);
// "m<id>": the text the stand-in serves for message `id`.
std::wstring Msg(int id);

// The program an item names for its window's process: its full path (the item's description),
// its file name and its process id, as Windows gives them.
struct ProgramColumns {
    std::wstring path, fileName, processId;
};
ProgramColumns ProgramOf(const std::wstring& path, DWORD processId);
ProgramColumns OwnProgram(); // this test program's

} // namespace far3test

#define EXPECT_LISTED(items, window, status)                                                       \
    ::far3test::ExpectListed(__FILE__, __LINE__, items, window, status)
