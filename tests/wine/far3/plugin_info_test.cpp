// What FAR 3 reads before it shows anything: GetGlobalInfoW (identity, the FAR version Velumo
// needs) and GetPluginInfoW (the three menus, each with its GUID, and the command prefix).
#include "far3_fixture.h"

namespace far3test {
namespace {

using namespace far3host;

class Far3Info : public Far3Test {};

// One PluginMenuItem of the host's PluginInfo: its single GUID and text, and its count.
struct MenuSeen {
    std::string guid;
    std::wstring text;
    size_t count;
};
MenuSeen MenuAt(const Record& info, size_t offset) {
    const unsigned char* menu = info.data() + offset;
    const void* guids = Read<const void*>(menu, kMenuGuids);
    const wchar_t* const* strings = Read<const wchar_t* const*>(menu, kMenuStrings);
    return {GuidText(guids), strings != nullptr ? TextAt(strings, 0) : kNullText,
            Read<size_t>(menu, kMenuCount)};
}

void ExpectMenu(const char* file, int line, const MenuSeen& seen, const GuidBytes& guid,
                const std::wstring& text, size_t count) {
    if (seen.guid != GuidText(guid) || seen.text != text || seen.count != count) {
        ADD_FAILURE_AT(file, line)
            << "expected " << GuidText(guid) << " \"" << text << "\" count " << count << "; seen "
            << seen.guid << " \"" << seen.text << "\" count " << seen.count;
    }
}
#define EXPECT_MENU(seen, guid, text, count) ExpectMenu(__FILE__, __LINE__, seen, guid, text, count)

TEST_F(Far3Info, GlobalInfoNamesVelumoAndTheFarBuildItNeeds) {
    Record info = GlobalInfoRecord();
    EXPECT_EQ(kGlobalSize, info.Get<size_t>(0)) << "StructSize is FAR's to set";
    const size_t version = kGlobalMinFarVersion;
    EXPECT_EQ((std::vector<DWORD>{3, 0, 0, 5242}),
              (std::vector<DWORD>{info.Get<DWORD>(version + kVersionMajor),
                                  info.Get<DWORD>(version + kVersionMinor),
                                  info.Get<DWORD>(version + kVersionRevision),
                                  info.Get<DWORD>(version + kVersionBuild)}))
        << "MinFarVersion: Major, Minor, Revision, Build";
    EXPECT_EQ(GuidText(kPluginGuid), GuidText(info.data() + kGlobalGuid));
    EXPECT_EQ(L"Velumo", TextAt(info.data(), kGlobalTitle));
    for (size_t field : {kGlobalDescription, kGlobalAuthor}) {
        const std::wstring text = TextAt(info.data(), field);
        EXPECT_TRUE(!text.empty() && text != kNullText)
            << "FAR unloads a plug-in without "
            << "Description or Author (offset " << field << ")";
    }
}

TEST_F(Far3Info, PluginInfoHasTheThreeMenusAndThePrefix) {
    StartFar1();
    Record info = PluginInfoRecord();
    EXPECT_EQ(0u, info.Get<unsigned long long>(kPluginInfoFlags)) << "no PF_* flag";
    EXPECT_MENU(MenuAt(info, kPluginInfoDiskMenu), kDisksMenuGuid, L"m4", 1u);
    EXPECT_MENU(MenuAt(info, kPluginInfoPluginMenu), kPluginsMenuGuid, L"m3", 1u);
    EXPECT_MENU(MenuAt(info, kPluginInfoConfigMenu), kConfigMenuGuid, L"m3", 1u);
    EXPECT_EQ(L"hide", TextAt(info.data(), kPluginInfoPrefix));

    // AddToDisksMenu off: the disks menu has no line.
    g_host.store[L"AddToDisksMenu"] = {kFstQword, 0};
    StartFar1();
    EXPECT_MENU(MenuAt(PluginInfoRecord(), kPluginInfoDiskMenu), kDisksMenuGuid, L"m4", 0u);
}

} // namespace
} // namespace far3test
