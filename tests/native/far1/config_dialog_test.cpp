// The configuration dialog: expanding item templates, reading the digit field, and the whole
// dialog run through Configure(0) with the host stand-in playing the user.
#include "far1_host.h"
#include "far1/entry_points.h"
#include "far1_fixture.h"
#include "far1/config_dialog.h"
#include "core/settings.h"
#include "core/registry_settings.h"
#include "far1/settings_store.h"
#include "sim_desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

class ConfigDialog : public Far1Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(0, simwin::OpenRegistryKeyCount());
        Far1Test::TearDown();
    }

    // Closes the next dialog on `result` after ticking/clearing and typing as given.
    static int Answer(int result, std::vector<std::pair<int, int>> checks = {},
                      std::vector<std::pair<int, std::string>> texts = {}) {
        far1host::DialogAnswer answer;
        answer.result = result;
        answer.checks = std::move(checks);
        answer.texts = std::move(texts);
        far1host::QueueDialogAnswer(answer);
        return far1host::Plugin().Configure(0);
    }

    static std::vector<int32_t> WrittenValues() {
        std::vector<int32_t> values;
        for (const auto& write : simwin::RegistryWrites()) {
            int32_t value = 0;
            memcpy(&value, write.data.data(), std::min<size_t>(4, write.data.size()));
            values.push_back(value);
        }
        return values;
    }
};

uintptr_t TextAddress(const char* text) {
    return reinterpret_cast<uintptr_t>(text);
}

TEST_F(ConfigDialog, ExpandWidensByteFieldsWithoutSign) {
    const far1::DialogItemTemplate from[1] = {
        {200, 255, 128, 200, 129, 255, -7, 0x80000001u, 250, 11}};
    far1::FarDialogItem to[1];
    far1::ExpandDialogItems(from, to, 1);
    EXPECT_EQ((std::vector<int>{200, 255, 128, 200, 129, 255, -7, 250}),
              (std::vector<int>{to[0].Type, to[0].X1, to[0].Y1, to[0].X2, to[0].Y2, to[0].Focus,
                                to[0].Selected, to[0].DefaultButton}));
    EXPECT_EQ(0x80000001u, uint32_t{to[0].Flags});
    EXPECT_EQ(messages_[11], to[0].Data);
}

TEST_F(ConfigDialog, ExpandTakesDataBelow2000AsAMessageIdAndOtherwiseAsAText) {
    const far1::DialogItemTemplate from[3] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 1999},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, TextAddress("plain text")}};
    far1::FarDialogItem to[3];
    far1::ExpandDialogItems(from, to, 3);
    EXPECT_EQ(messages_[0], to[0].Data);
    EXPECT_STREQ("", to[1].Data); // the host has no text 1999
    EXPECT_STREQ("plain text", to[2].Data);
    EXPECT_EQ((std::vector<int>{0, 1999}), far1host::RequestedMessages());
}

TEST_F(ConfigDialog, ExpandWithACountOfZeroOrLessFillsNothing) {
    const far1::DialogItemTemplate from[1] = {{8, 5, 2, 0, 0, 0, 1, 0, 0, 11}};
    far1::FarDialogItem to[1], untouched[1];
    memset(to, 0x5A, sizeof(to));
    memcpy(untouched, to, sizeof(to));
    far1::ExpandDialogItems(from, to, 0);
    far1::ExpandDialogItems(from, to, -3);
    EXPECT_EQ(0, memcmp(untouched, to, sizeof(to)));
    EXPECT_TRUE(far1host::RequestedMessages().empty());
}

TEST_F(ConfigDialog, ExpandCutsACaptionLongerThan511Characters) {
    std::vector<std::string> longMessages = messages_;
    longMessages[10] = std::string(700, 'm');
    far1host::Start(far1host::LinkedPlugin(), longMessages, kFarPluginsRoot);
    const std::string text(600, 't'), exact(511, 'e');
    const far1::DialogItemTemplate from[3] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, TextAddress(text.c_str())},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 10},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, TextAddress(exact.c_str())}};
    far1::FarDialogItem to[4];
    memset(to, 0x5A, sizeof(to));
    far1::ExpandDialogItems(from, to, 3);
    EXPECT_EQ(std::string(511, 't'), to[0].Data);
    EXPECT_EQ(std::string(511, 'm'), to[1].Data);
    EXPECT_EQ(exact, to[2].Data);
    EXPECT_EQ(0x5A5A5A5A, int{to[3].Type}) << "written past the last record";
}

TEST(ParseLeadingNumber, ReadsSignAndDigitsAfterWhiteSpace) {
    const std::vector<std::pair<const char*, int32_t>> cases = {{"7", 7},
                                                                {"", 0},
                                                                {"x", 0},
                                                                {"-", 0},
                                                                {"+", 0},
                                                                {" ", 0},
                                                                {"  +12abc", 12},
                                                                {" -3", -3},
                                                                {"\t\n\v\f\r9", 9},
                                                                {"0009", 9},
                                                                {"12 34", 12},
                                                                {"+-5", 0},
                                                                {"- 5", 0},
                                                                {"5-", 5},
                                                                {"2147483647", INT32_MAX},
                                                                {"-2147483648", INT32_MIN},
                                                                {"2147483648", INT32_MAX},
                                                                {"-2147483649", INT32_MIN},
                                                                {"99999999999", INT32_MAX},
                                                                {"-99999999999", INT32_MIN}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.second, far1::ParseLeadingNumber(c.first)) << '"' << c.first << '"';
    }
    EXPECT_EQ(INT32_MAX, far1::ParseLeadingNumber(std::string(1000, '9').c_str()));
    EXPECT_EQ(INT32_MIN, far1::ParseLeadingNumber(("-" + std::string(1000, '8')).c_str()));
}

TEST_F(ConfigDialog, AtTheDefaultsTheDialogShowsTheSettingsInTheItemTable) {
    EXPECT_EQ(0, far1host::Plugin().Configure(0)); // no answer: the user presses Esc
    ASSERT_EQ(1u, far1host::DialogCalls().size());
    const far1host::DialogCall& call = far1host::DialogCalls()[0];
    EXPECT_EQ(far1host::kModuleNumber, call.moduleNumber);
    EXPECT_EQ((std::vector<int>{-1, -1, 76, 13}),
              (std::vector<int>{call.x1, call.y1, call.x2, call.y2}));
    EXPECT_EQ("VelumoCfg", call.helpTopic);
    ASSERT_EQ(12u, call.items.size());

    struct Expected {
        int type, x1, y1, x2, y2, focus, selected;
        uint32_t flags;
        int defaultButton;
        std::string text;
    };
    const std::vector<Expected> table = {
        {3, 3, 1, 72, 11, 0, 0, 0, 0, messages_[10]},
        {8, 5, 2, 0, 0, 0, 1, 0, 0, messages_[11]},
        {6, 7, 3, 7, 3, 1, 0, 0, 0, "9"},
        {0, 9, 3, 0, 0, 0, 0, 0, 0, messages_[12]},
        {0, 5, 4, 0, 0, 0, 0, 0x10200, 0, ""},
        {8, 5, 5, 0, 0, 0, 1, 0, 0, messages_[13]},
        {8, 5, 6, 0, 0, 0, 0, 0, 0, messages_[14]},
        {8, 5, 7, 0, 0, 0, 0, 0, 0, messages_[15]},
        {8, 5, 8, 0, 0, 0, 1, 0, 0, messages_[16]},
        {0, 5, 9, 0, 0, 0, 0, 0x10200, 0, ""},
        {7, 0, 10, 0, 0, 0, 0, 0x4000, 1, messages_[0]},
        {7, 0, 10, 0, 0, 0, 0, 0x4000, 0, messages_[1]},
    };
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const far1::FarDialogItem& item = call.items[i];
        const Expected& e = table[i];
        EXPECT_EQ((std::vector<int>{e.type, e.x1, e.y1, e.x2, e.y2, e.focus, e.selected,
                                    e.defaultButton}),
                  (std::vector<int>{item.Type, item.X1, item.Y1, item.X2, item.Y2, item.Focus,
                                    item.Selected, item.DefaultButton}));
        EXPECT_EQ(e.flags, item.Flags);
        EXPECT_EQ(e.text, item.Data);
    }
}

TEST_F(ConfigDialog, TheSettingsArePutInAsTheyAre) {
    g_settings = {7, 0, -1, 3, 2, 5};
    EXPECT_EQ(0, far1host::Plugin().Configure(0));
    g_settings = {1, -42, 1, 0, 0, 1};
    EXPECT_EQ(0, far1host::Plugin().Configure(0));
    ASSERT_EQ(2u, far1host::DialogCalls().size());
    const auto& first = far1host::DialogCalls()[0].items;
    EXPECT_EQ((std::vector<int>{7, -1, 3, 2, 5}),
              (std::vector<int>{first[1].Selected, first[5].Selected, first[6].Selected,
                                first[7].Selected, first[8].Selected}));
    EXPECT_STREQ("", first[2].Data) << "digit 0 shows an empty field";
    EXPECT_STREQ("-42", far1host::DialogCalls()[1].items[2].Data);
}

TEST_F(ConfigDialog, ConfirmingStoresAllSixAndWritesThemToTheRegistry) {
    // Every field changes; check states are taken as the host leaves them, not as 0 and 1.
    EXPECT_EQ(1, Answer(10, {{1, 5}, {5, 0}, {6, 3}, {7, 2}, {8, -1}}, {{2, "4"}}));
    const std::vector<int32_t> confirmed = {5, 4, 0, 3, 2, -1};
    EXPECT_EQ(confirmed, SettingsFields(g_settings));
    EXPECT_EQ(confirmed, WrittenValues());
    g_settings = kDefaultSettings;
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(confirmed, SettingsFields(g_settings));
}

TEST_F(ConfigDialog, ConfirmingWithoutAChangeStillWritesAllSix) {
    EXPECT_EQ(1, Answer(10));
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    EXPECT_EQ(SettingsFields(kDefaultSettings), WrittenValues());
    for (const auto& write : simwin::RegistryWrites()) {
        EXPECT_EQ(kVelumoKeyPath, write.keyPath);
    }
}

TEST_F(ConfigDialog, ClosingOtherwiseThanOnConfirmChangesNothing) {
    for (int result : {11, -1, 2, 0}) {
        SCOPED_TRACE(result);
        EXPECT_EQ(0, Answer(result, {{1, 0}, {8, 0}}, {{2, "3"}}));
        EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    }
    EXPECT_EQ(0, far1host::Plugin().Configure(0)); // no answer queued: Esc
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    EXPECT_TRUE(simwin::RegistryWrites().empty());
    EXPECT_FALSE(simwin::RegistryKeyExists(kVelumoKeyPath));
}

TEST_F(ConfigDialog, ADigitFieldWithoutANumberStoresZeroAndShowsEmptyNextTime) {
    for (const char* typed : {"-", " ", "", "x7"}) {
        SCOPED_TRACE(typed);
        g_settings.DisksMenuDigit = 9;
        EXPECT_EQ(1, Answer(10, {}, {{2, typed}}));
        EXPECT_EQ(0, g_settings.DisksMenuDigit);
    }
    far1host::ClearRecords();
    EXPECT_EQ(1, Answer(10)); // the field opens empty; confirming as it is stores 0 again
    EXPECT_STREQ("", far1host::DialogCalls()[0].items[2].Data);
    EXPECT_EQ(0, g_settings.DisksMenuDigit);
    EXPECT_EQ(0, WrittenValues().at(1));
}

TEST_F(ConfigDialog, AnOversizedDigitSaturates) {
    EXPECT_EQ(1, Answer(10, {}, {{2, "99999999999"}}));
    EXPECT_EQ(INT32_MAX, g_settings.DisksMenuDigit);
    EXPECT_EQ(INT32_MAX, WrittenValues().at(1));
    EXPECT_EQ(1, Answer(10, {}, {{2, "-99999999999"}}));
    EXPECT_EQ(INT32_MIN, g_settings.DisksMenuDigit);
    ASSERT_EQ(2u, far1host::DialogCalls().size());
    EXPECT_STREQ("2147483647", far1host::DialogCalls()[1].items[2].Data);
}

TEST_F(ConfigDialog, ARegistryThatCannotBeWrittenStillConfirms) {
    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_ACCESS_DENIED);
    EXPECT_EQ(1, Answer(10, {{7, 1}}, {{2, "2"}}));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 1, 0, 1, 1}), SettingsFields(g_settings));
    EXPECT_TRUE(simwin::RegistryWrites().empty());
}

TEST_F(ConfigDialog, OtherConfigurationItemsShowNoDialog) {
    far1host::QueueDialogAnswer(far1host::DialogAnswer{10, {{1, 0}}, {}});
    EXPECT_EQ(0, far1host::Plugin().Configure(1));
    EXPECT_EQ(0, far1host::Plugin().Configure(-1));
    EXPECT_TRUE(far1host::DialogCalls().empty());
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    EXPECT_TRUE(simwin::RegistryWrites().empty());
}

} // namespace
