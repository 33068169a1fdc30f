// LeakSanitizer asked from inside a test: whether the process holds heap blocks that nothing
// refers to any more, and a block leaked on purpose to show that the check sees one. Without
// AddressSanitizer there is nobody to ask, and VELUMO_HAVE_LSAN stays undefined.
#pragma once

#include "heap_calls.h"
#include "sim_desktop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELUMO_HAVE_LSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELUMO_HAVE_LSAN 1
#endif

#ifdef VELUMO_HAVE_LSAN
#include <sanitizer/lsan_interface.h>
#endif

// Runs LeakSanitizer now: 0 when every heap block is still reachable, -1 without it. A leak's
// report, with the stack that allocated the block, goes to the standard error.
inline int LeakedNow() {
#ifdef VELUMO_HAVE_LSAN
    return __lsan_do_recoverable_leak_check();
#else
    return -1;
#endif
}

// Masks a heap address so that LeakSanitizer, which looks for values that point into heap
// blocks, finds no reference to the block while it checks: a leak on purpose until unmasked.
constexpr uintptr_t kLeakAddressMask = static_cast<uintptr_t>(0xA5A5A5A5A5A5A5A5u);

// Whether the process holds no leak yet: each check scans the whole process, so a leak left by an
// earlier test in it (ctest runs each test alone) would be taken for the test's own.
inline void ExpectNoLeakYet() {
    ASSERT_EQ(0, LeakedNow()) << "the process already holds leaked blocks (report above)";
}

// Every block taken since heapcalls::ResetCounts given back, and none unreferenced.
inline void ExpectNothingLeaked() {
    EXPECT_EQ(0, heapcalls::Counted().balance) << "blocks taken and not given back";
    EXPECT_EQ(0, LeakedNow()) << "LeakSanitizer found leaked blocks; its report is above";
}

// `count` windows of every kind a listing treats differently: plain, invisible, owned, child,
// titled "Program Manager", untitled, and titles beyond the Basic Multilingual Plane, of 300 code
// units, and holding an unpaired surrogate.
inline std::vector<HWND> MakeVariedDesktop(int count) {
    // Four owning programs: the desktop's, one with a path outside ASCII, one that refuses to be
    // asked, and the host itself.
    const DWORD processes[] = {simwin::kDesktopProcess, simwin::StartTestProcess(),
                               simwin::StartTestProcess(), simwin::CurrentTestProcess()};
    simwin::SetTestProcessImage(processes[1], u"C:\\Программы\\Редактор 🙂.exe");
    simwin::SetTestProcessImage(processes[2], {}, true);
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        const std::u16string number = simwin::Utf16FromUtf8(std::to_string(i));
        simwin::WindowSpec spec;
        spec.wideTitle = u"Window " + number;
        spec.process = processes[i % 4];
        switch (i % 6) {
        case 1:
            spec.visible = false;
            spec.wideTitle = u"Отчёт " + number;
            break;
        case 2:
            spec.owner = windows.front();
            spec.wideTitle = u"日本語 — résumé 🙂 " + number;
            break;
        case 3:
            for (int unit = 0; unit < 150; ++unit) {
                spec.wideTitle += u"🙂";
            }
            break;
        case 4:
            spec.style = WS_CHILD;
            spec.parent = windows.front();
            break;
        case 5:
            spec.wideTitle = i == 5 ? u"Program Manager" : i % 4 == 1 ? u"" : u"\xD83D ";
            break;
        default:
            if (i == 6) { // longer than a listing's first block of texts
                spec.wideTitle = std::u16string(40000, u'W');
            }
            break;
        }
        windows.push_back(simwin::CreateTestWindow(spec));
    }
    return windows;
}

// One front end's ways to list, to toggle a window as the user does and to type "hide:<text>".
struct ListingDriver {
    std::function<size_t()> list; // one listing taken and handed back: the windows it held
    std::function<void(HWND)> toggle;
    std::function<void(const char*)> hideCommand;
};

// Ten thousand listings over `windows`. Every 500 the desktop changes between listings (the
// plug-in toggles a window, another program shows one, a title changes); every 2000 a typed
// command toggles by title; every 1000 a window is destroyed and another created while the
// enumeration is under way. Gives how many windows the listings held in all.
inline size_t ListOverAChangingDesktop(std::vector<HWND>& windows, const ListingDriver& driver) {
    size_t listed = 0;
    for (int cycle = 0; cycle < 10000; ++cycle) {
        const HWND some = windows[static_cast<size_t>(cycle / 500) % windows.size()];
        if (cycle % 500 == 250) {
            driver.toggle(some);
            simwin::SetTestWindowVisible(windows[1], cycle % 1000 == 250);
            simwin::SetTestWindowTitle(some, u"Renamed 🙂 " +
                                                 simwin::Utf16FromUtf8(std::to_string(cycle)));
        }
        if (cycle % 2000 == 1500) {
            driver.hideCommand("Renamed");
        }
        if (cycle % 1000 == 999) {
            simwin::SetEnumerationHook([&windows](HWND reported) {
                if (reported == windows.back()) {
                    simwin::DestroyTestWindow(reported);
                    windows.push_back(simwin::CreateTestWindow(u"Created while listing"));
                }
            });
        }
        listed += driver.list();
        simwin::SetEnumerationHook({});
    }
    return listed;
}
