// The FAR 1.x configuration dialog: item templates, the digit field, Configure(0).
#include "core/registry_settings.h"
#include "far1/config_dialog.h"
#include "far1/entry_points.h"
#include "far1/settings_store.h"
#include "far1_fixture.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

const DialogLayout& kLayout = kFar1ConfigDialog;
const int kOk = kLayout.OkRow;
const int kDigit = DialogRowOf(kLayout, &Settings::DisksMenuDigit);

int RowOf(int32_t Settings::*field) {
    return DialogRowOf(kLayout, field);
}

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

// Byte fields are widened without sign; data below 2000 is a message id, any other a text.
TEST_F(ConfigDialog, ExpandWidensTheFieldsAndTakesSmallDataAsAMessageId) {
    const far1::DialogItemTemplate from[4] = {
        {200, 255, 128, 200, 129, 255, -7, 0x80000001u, 250, 11},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 1999},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, TextAddress("plain text")}};
    far1::FarDialogItem to[4];
    far1::ExpandDialogItems(from, to, 4);
    EXPECT_EQ((std::vector<int>{200, 255, 128, 200, 129, 255, -7, 250}),
              (std::vector<int>{to[0].Type, to[0].X1, to[0].Y1, to[0].X2, to[0].Y2, to[0].Focus,
                                to[0].Selected, to[0].DefaultButton}));
    EXPECT_EQ(0x80000001u, uint32_t{to[0].Flags});
    EXPECT_EQ(messages_[11], to[0].Data);
    EXPECT_EQ(messages_[0], to[1].Data);
    EXPECT_STREQ("", to[2].Data); // the host has no text 1999
    EXPECT_STREQ("plain text", to[3].Data);
    EXPECT_EQ((std::vector<int>{11, 0, 1999}), far1host::RequestedMessages());

    // A count of zero or less fills nothing and asks for no text.
    far1host::ClearRecords();
    far1::FarDialogItem untouched[4];
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

TEST_F(ConfigDialog, TheSettingsArePutInAsTheyAre) {
    // Distinct values, among them 0 and negative ones; the digit 0.
    std::vector<int32_t> values;
    for (const SettingField& setting : kSettingFields) {
        values.push_back(3 - 2 * static_cast<int32_t>(values.size()));
        g_settings.*setting.Field = values.back();
    }
    g_settings.DisksMenuDigit = 0;
    EXPECT_EQ(0, far1host::Plugin().Configure(0));
    g_settings = kDefaultSettings;
    g_settings.DisksMenuDigit = -42;
    EXPECT_EQ(0, far1host::Plugin().Configure(0));
    ASSERT_EQ(2u, far1host::DialogCalls().size());
    const far1host::DialogCall& call = far1host::DialogCalls()[0];
    EXPECT_EQ(far1host::kModuleNumber, call.moduleNumber);
    EXPECT_EQ((std::vector<int>{-1, -1, kLayout.Width, kLayout.Height}),
              (std::vector<int>{call.x1, call.y1, call.x2, call.y2}));
    EXPECT_EQ("VelumoCfg", call.helpTopic);
    const auto& first = call.items;
    for (int i = 0; i < kLayout.Count; ++i) {
        const DialogRow& row = kLayout.Rows[i];
        if (row.Role == DialogRowRole::CheckBox) {
            EXPECT_EQ(values[row.Setting], first[i].Selected) << kSettingFields[row.Setting].Name;
        }
    }
    EXPECT_STREQ("", first[kDigit].Data) << "digit 0 shows an empty field";
    EXPECT_STREQ("-42", far1host::DialogCalls()[1].items[kDigit].Data);
}

TEST_F(ConfigDialog, ConfirmingStoresAllAndWritesThemToTheRegistry) {
    // Every field changes; check states are taken as the host leaves them, not as 0 and 1.
    std::vector<std::pair<int, int>> checks;
    std::vector<int32_t> confirmed(kSettingCount);
    for (int i = 0; i < kLayout.Count; ++i) {
        const DialogRow& row = kLayout.Rows[i];
        if (row.Role == DialogRowRole::CheckBox) {
            const int32_t value = kDefaultSettings.*kSettingFields[row.Setting].Field != 0
                                      ? (row.Setting % 2 == 0 ? 0 : 5)
                                      : (row.Setting % 2 == 0 ? -1 : 3);
            checks.push_back({i, value});
            confirmed[row.Setting] = value;
        }
    }
    confirmed[SettingIndex(&Settings::DisksMenuDigit)] = 4;
    EXPECT_EQ(1, Answer(kOk, checks, {{kDigit, "4"}}));
    EXPECT_EQ(confirmed, SettingsFields(g_settings));
    EXPECT_EQ(confirmed, WrittenValues());
    g_settings = kDefaultSettings;
    far1::LoadSettingsBelowRootKey(kFarPluginsRoot);
    EXPECT_EQ(confirmed, SettingsFields(g_settings));
}

TEST_F(ConfigDialog, ClosingOtherwiseThanOnConfirmOrAnotherItemChangesNothing) {
    for (int result : {kLayout.CancelRow, -1, kDigit, 0}) {
        SCOPED_TRACE(result);
        EXPECT_EQ(0, Answer(result,
                            {{RowOf(&Settings::AddToDisksMenu), 0},
                             {RowOf(&Settings::ShowAllWindowAtExit), 0}},
                            {{kDigit, "3"}}));
        EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    }
    EXPECT_EQ(0, far1host::Plugin().Configure(0)); // no answer queued: Esc
    // Other configuration items show no dialog.
    const size_t shown = far1host::DialogCalls().size();
    far1host::QueueDialogAnswer(
        far1host::DialogAnswer{kOk, {{RowOf(&Settings::AddToDisksMenu), 0}}, {}});
    EXPECT_EQ(0, far1host::Plugin().Configure(1));
    EXPECT_EQ(0, far1host::Plugin().Configure(-1));
    EXPECT_EQ(shown, far1host::DialogCalls().size());
    EXPECT_EQ(SettingsFields(kDefaultSettings), SettingsFields(g_settings));
    EXPECT_TRUE(simwin::RegistryWrites().empty());
    EXPECT_FALSE(simwin::RegistryKeyExists(kVelumoKeyPath));
}

// The digit field stores the leading number of its text, saturated, and 0 when there is none;
// the next dialog shows what was stored, 0 as an empty field.
TEST_F(ConfigDialog, TheDigitFieldStoresItsLeadingNumber) {
    const std::pair<const char*, int32_t> cases[] = {
        {"x7", 0}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        g_settings.DisksMenuDigit = 9;
        EXPECT_EQ(1, Answer(kOk, {}, {{kDigit, c.first}}));
        EXPECT_EQ(c.second, g_settings.DisksMenuDigit);
        far1host::ClearRecords();
        simwin::ResetRegistry();
        EXPECT_EQ(1, Answer(kOk)); // confirmed as it opens: the same number again
        EXPECT_EQ(c.second == 0 ? "" : std::to_string(c.second),
                  far1host::DialogCalls().at(0).items[kDigit].Data);
        EXPECT_EQ(c.second, WrittenValues().at(SettingIndex(&Settings::DisksMenuDigit)));
    }
}

TEST_F(ConfigDialog, ARegistryThatCannotBeWrittenStillConfirms) {
    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_ACCESS_DENIED);
    EXPECT_EQ(1, Answer(kOk, {{RowOf(&Settings::ShowInvisibleWindow), 1}}, {{kDigit, "2"}}));
    EXPECT_EQ(FieldsWith({{&Settings::DisksMenuDigit, 2}, {&Settings::ShowInvisibleWindow, 1}}),
              SettingsFields(g_settings));
    EXPECT_TRUE(simwin::RegistryWrites().empty());
}

} // namespace
