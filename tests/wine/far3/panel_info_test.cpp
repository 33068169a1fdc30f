// What FAR 3 reads of an open panel on every redraw: GetOpenPanelInfoW on the host's record
// (zeroed, StructSize and hPanel set, guard bytes after it), and the view modes and key bar it
// points to, all read at the host's offsets.
#include "far3_fixture.h"

#include <map>

namespace far3test {
namespace {

using namespace far3host;

class Far3PanelInfo : public Far3Test {};

// A text pointer of the record, null read as the empty text FAR makes of it.
std::wstring LabelTextAt(const unsigned char* record, size_t offset) {
    return Read<const wchar_t*>(record, offset) != nullptr ? TextAt(record, offset) : L"";
}

// "Alt+F4" for a key bar label's FarKey; "?" for a key or modifier FAR has no label for.
std::string KeyName(WORD virtualKey, DWORD controlState) {
    if (virtualKey < VK_F1 || virtualKey > VK_F12 ||
        (controlState & ~DWORD{LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED |
                               RIGHT_ALT_PRESSED | SHIFT_PRESSED}) != 0) {
        return "?" + std::to_string(virtualKey) + "/" + std::to_string(controlState);
    }
    std::string name;
    if (controlState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) {
        name += "Ctrl+";
    }
    if (controlState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) {
        name += "Alt+";
    }
    if (controlState & SHIFT_PRESSED) {
        name += "Shift+";
    }
    return name + "F" + std::to_string(virtualKey - VK_F1 + 1);
}

std::wstring Joined(const std::vector<std::wstring>& texts) {
    std::wstring joined;
    for (const std::wstring& text : texts) {
        joined += (joined.empty() ? L"" : L" ") + text;
    }
    return joined;
}

// One PanelMode as the host reads it; `zero` when all its bytes are 0.
struct ModeSeen {
    std::wstring types, widths, statusTypes, statusWidths;
    std::vector<std::wstring> titles; // the three column titles, when the array is there
    unsigned long long flags = 0;
    bool zero = true;
};

ModeSeen ModeAt(const unsigned char* mode) {
    ModeSeen seen;
    for (size_t i = 0; i < kPanelModeSize; ++i) {
        seen.zero = seen.zero && mode[i] == 0;
    }
    seen.types = TextAt(mode, kModeColumnTypes);
    seen.widths = TextAt(mode, kModeColumnWidths);
    seen.statusTypes = TextAt(mode, kModeStatusTypes);
    seen.statusWidths = TextAt(mode, kModeStatusWidths);
    const wchar_t* const* titles = Read<const wchar_t* const*>(mode, kModeColumnTitles);
    for (size_t i = 0; titles != nullptr && i < 3; ++i) {
        seen.titles.push_back(titles[i] != nullptr ? titles[i] : kNullText);
    }
    seen.flags = Read<unsigned long long>(mode, kModeFlags);
    return seen;
}

TEST_F(Far3PanelInfo, RecordDescribesTitleViewModesAndKeyBar) {
    StartFar1();
    HANDLE panel = OpenFromPluginsMenu();
    ASSERT_NE(nullptr, panel);
    const Record info = OpenPanelInfoRecord(panel);

    EXPECT_EQ(kOpenPanelSize, info.Get<size_t>(0)) << "StructSize is FAR's";
    EXPECT_EQ(panel, info.Get<HANDLE>(kOpenPanelHandle)) << "hPanel is FAR's";
    const unsigned long long flags = info.Get<unsigned long long>(kOpenPanelFlags);
    EXPECT_TRUE((flags & kOpifAddDots) != 0)
        << "OPIF_ADDDOTS: \"..\" leaves the panel; flags " << flags;
    EXPECT_TRUE((flags & kOpifRealNames) == 0)
        << "without OPIF_REALNAMES F8 reaches DeleteFilesW; flags " << flags;
    EXPECT_EQ(L"Velumo", TextAt(info.data(), kOpenPanelCurDir));
    EXPECT_EQ(L"m6", TextAt(info.data(), kOpenPanelFormat));
    EXPECT_EQ(L" m6 ", TextAt(info.data(), kOpenPanelTitle));
    EXPECT_EQ(intptr_t{'2'}, info.Get<intptr_t>(kOpenPanelStartMode))
        << "the character of the view-mode digit";

    // What Velumo has no use for stays as FAR zeroed it.
    const struct {
        const char* name;
        size_t offset, size;
    } unused[] = {
        {"HostFile", kOpenPanelHostFile, sizeof(void*)},
        {"InfoLines", kOpenPanelInfoLines, sizeof(void*)},
        {"InfoLinesNumber", kOpenPanelInfoLineCount, sizeof(size_t)},
        {"DescrFiles", kOpenPanelDescrFiles, sizeof(void*)},
        {"DescrFilesNumber", kOpenPanelDescrFileCount, sizeof(size_t)},
        {"StartSortMode", kOpenPanelStartSortMode, 4},
        {"StartSortOrder", kOpenPanelStartSortOrder, sizeof(intptr_t)},
        {"ShortcutData", kOpenPanelShortcutData, sizeof(void*)},
        {"FreeSize", kOpenPanelFreeSize, 8},
        {"UserData", kOpenPanelUserData, 2 * sizeof(void*)},
        {"Instance", kOpenPanelInstance, sizeof(void*)},
    };
    for (const auto& field : unused) {
        for (size_t i = 0; i < field.size; ++i) {
            if (info.data()[field.offset + i] != 0) {
                ADD_FAILURE() << field.name << " should stay 0; byte " << i << " is "
                              << int{info.data()[field.offset + i]};
                break;
            }
        }
    }

    // Ten view modes, indexed by FAR's digit; 2, 4 and 5 show the three columns.
    const unsigned char* modes = info.Get<const unsigned char*>(kOpenPanelModes);
    ASSERT_NE(nullptr, modes) << "PanelModesArray";
    ASSERT_EQ(10u, info.Get<size_t>(kOpenPanelModeCount)) << "PanelModesNumber";
    struct ExpectedMode {
        const wchar_t* types;
        const wchar_t* widths;
        unsigned long long flags;
    };
    const std::map<size_t, ExpectedMode> used = {
        {2, {L"N,C0,C1", L"0,4,8", 0}},
        {4, {L"N,C0", L"0,4", 0}},
        {5, {L"N,C0,C1", L"0,4,0", kPmflagsFullScreen}},
    };
    const std::vector<std::wstring> columnTitles = {L"m7", L"m8", L"m9"};
    for (size_t i = 0; i < 10; ++i) {
        const ModeSeen seen = ModeAt(modes + i * kPanelModeSize);
        auto expected = used.find(i);
        if (expected == used.end()) {
            EXPECT_TRUE(seen.zero)
                << "mode " << i << " should be all zero; seen types \"" << seen.types
                << "\", widths \"" << seen.widths << "\", flags " << seen.flags;
            continue;
        }
        const ExpectedMode& e = expected->second;
        EXPECT_TRUE(seen.types == e.types && seen.widths == e.widths &&
                    seen.titles == columnTitles && seen.flags == e.flags &&
                    seen.statusTypes == kNullText && seen.statusWidths == kNullText)
            << "mode " << i << ": expected \"" << e.types << "\" \"" << e.widths
            << "\", titles [m7 m8 m9], flags " << e.flags << ", no status columns; seen \""
            << seen.types << "\" \"" << seen.widths << "\", titles [" << Joined(seen.titles)
            << "], flags " << seen.flags << ", status \"" << seen.statusTypes << "\" \""
            << seen.statusWidths << "\"";
    }

    // The key bar: {CountLabels, Labels}; every label given is a function key of a group FAR
    // has, given once.
    const unsigned char* keyBar = info.Get<const unsigned char*>(kOpenPanelKeyBar);
    ASSERT_NE(nullptr, keyBar) << "KeyBar";
    const size_t count = Read<size_t>(keyBar, kKeyBarCount);
    const unsigned char* labels = Read<const unsigned char*>(keyBar, kKeyBarLabels);
    ASSERT_TRUE(labels != nullptr && count < 100)
        << count << " labels at " << static_cast<const void*>(labels);
    std::map<std::string, std::wstring> seen;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* label = labels + i * kLabelSize;
        const std::string key =
            KeyName(Read<WORD>(label, kLabelVirtualKey), Read<DWORD>(label, kLabelControlState));
        const std::wstring text = LabelTextAt(label, kLabelText);
        const std::wstring longText = LabelTextAt(label, kLabelLongText);
        EXPECT_EQ(text, longText) << key << ": the long label says the same";
        EXPECT_TRUE(seen.emplace(key, text).second) << key << " labelled twice";
    }
    std::map<std::string, std::wstring> expected = {{"F8", L"m5"}};
    for (const char* key :
         {"F4", "F5", "F6", "F7", "Alt+F4", "Alt+F5", "Alt+F6", "Shift+F1", "Shift+F2", "Shift+F3",
          "Shift+F4", "Shift+F5", "Shift+F6", "Shift+F7", "Shift+F8"}) {
        expected[key] = L"";
    }
    EXPECT_EQ(expected, seen) << "labels by key; every other key keeps FAR's own";
}

TEST_F(Far3PanelInfo, RecordFarCannotHaveMeantIsLeftUntouched) {
    StartFar1();
    HANDLE panel = OpenFromPluginsMenu();
    ASSERT_NE(nullptr, panel);
    constexpr unsigned char kFill = 0x5A;
    const struct {
        const char* what;
        size_t structSize;
        HANDLE panel;
    } cases[] = {
        {"one field short", kOpenPanelSize - sizeof(void*), panel},
        {"StructSize 0", 0, panel},
        {"no panel handle", kOpenPanelSize, nullptr},
    };
    for (const auto& c : cases) {
        Record info(kOpenPanelSize);
        memset(info.data(), kFill, kOpenPanelSize);
        info.Put<size_t>(0, c.structSize);
        info.Put<HANDLE>(kOpenPanelHandle, c.panel);
        const Record before = info;
        Plugin().GetOpenPanelInfoW(info.data());
        info.CheckGuard("GetOpenPanelInfoW");
        for (size_t i = 0; i < kOpenPanelSize; ++i) {
            if (info.data()[i] != before.data()[i]) {
                ADD_FAILURE() << c.what << ": byte " << i << " changed from "
                              << int{before.data()[i]} << " to " << int{info.data()[i]};
                break;
            }
        }
    }
}

} // namespace
} // namespace far3test
