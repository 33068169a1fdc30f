// Checks the FAR language (.lng) and help (.hlf) files in lang/.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kEngLanguage[] = ".Language=English,English";
// "Русский" in CP866.
const char kRusLanguage[] = ".Language=Russian,Russian (\x90\xe3\xe1\xe1\xaa\xa8\xa9)";
const size_t kMessageCount = 17;

std::string readFile(const std::string& name) {
    std::ifstream in(std::string(VELUMO_LANG_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << name;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Splits on LF and strips the CR of each CRLF pair.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

void expectCrlf(const std::string& text, const std::string& name) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << name << ": bare LF at byte " << i;
        }
    }
}

void expectAscii(const std::string& text, const std::string& name) {
    for (unsigned char c : text) {
        ASSERT_LT(c, 0x80) << name << " contains a non-ASCII byte";
    }
}

// CP866 Cyrillic lies in 0x80-0xAF and 0xE0-0xF1; UTF-8 Cyrillic would use
// 0xD0/0xD1 lead bytes, which are box-drawing characters in CP866.
void expectCp866(const std::string& text, const std::string& name) {
    size_t cyrillic = 0;
    for (unsigned char c : text) {
        if (c < 0x80)
            continue;
        ASSERT_TRUE(c <= 0xAF || (c >= 0xE0 && c <= 0xF1))
            << name << ": byte 0x" << std::hex << int(c) << " is not CP866 Cyrillic";
        ++cyrillic;
    }
    EXPECT_GT(cyrillic, 100u) << name << " has almost no Cyrillic text";
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const unsigned char lead = text[i], next = text[i + 1];
        ASSERT_FALSE((lead == 0xD0 || lead == 0xD1) && next >= 0x80 && next <= 0xBF)
            << name << " looks UTF-8 encoded at byte " << i;
    }
}

void checkLng(const std::string& name, const char* language) {
    const std::string text = readFile(name);
    expectCrlf(text, name);
    const std::vector<std::string> all = lines(text);
    ASSERT_FALSE(all.empty()) << name;
    EXPECT_EQ(all[0], language) << name;
    size_t messages = 0;
    for (size_t i = 1; i < all.size(); ++i) {
        const std::string& line = all[i];
        if (line.empty() || line.rfind("//", 0) == 0)
            continue;
        ASSERT_EQ(line[0], '"') << name << ":" << i + 1 << ": stray line: " << line;
        ASSERT_GE(line.size(), 2u) << name << ":" << i + 1 << ": unclosed string";
        EXPECT_EQ(line.back(), '"') << name << ":" << i + 1 << ": unclosed string";
        const std::string body = line.substr(1, line.size() - 2);
        EXPECT_EQ(body.find('"'), std::string::npos) << name << ":" << i + 1 << ": inner quote";
        ++messages;
    }
    EXPECT_EQ(messages, kMessageCount) << name << ": message ids must be 0.." << kMessageCount - 1;
}

void checkHlf(const std::string& name, const char* language) {
    const std::string text = readFile(name);
    expectCrlf(text, name);
    const std::vector<std::string> all = lines(text);
    ASSERT_GE(all.size(), 2u) << name;
    EXPECT_EQ(all[0], language) << name;
    EXPECT_EQ(all[1], ".PluginContents=Velumo") << name;
    std::set<std::string> topics;
    for (size_t i = 2; i < all.size(); ++i) {
        if (all[i].size() < 2 || all[i][0] != '@' || all[i][1] == '@')
            continue;
        EXPECT_TRUE(topics.insert(all[i].substr(1)).second) << name << ": duplicate " << all[i];
        ASSERT_LT(i + 1, all.size()) << name << ": topic without a title";
        EXPECT_EQ(all[i + 1].rfind("$ #", 0), 0u) << name << ": " << all[i] << " has no title";
    }
    EXPECT_EQ(topics.count("Contents"), 1u) << name;
    EXPECT_EQ(topics.count("VelumoCfg"), 1u) << name;
    const std::regex link("~[^~@]+~@([^@]+)@");
    std::set<std::string> targets;
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it)
        targets.insert((*it)[1]);
    EXPECT_EQ(targets.count("VelumoCfg"), 1u) << name << ": Contents must link to VelumoCfg";
    for (const std::string& target : targets)
        EXPECT_EQ(topics.count(target), 1u) << name << ": link to missing topic " << target;
}

} // namespace

TEST(LangFiles, EnglishLng) {
    checkLng("VelumoEng.lng", kEngLanguage);
    expectAscii(readFile("VelumoEng.lng"), "VelumoEng.lng");
}

TEST(LangFiles, RussianLng) {
    checkLng("VelumoRus.lng", kRusLanguage);
    expectCp866(readFile("VelumoRus.lng"), "VelumoRus.lng");
}

TEST(LangFiles, EnglishHlf) {
    checkHlf("VelumoEng.hlf", kEngLanguage);
    expectAscii(readFile("VelumoEng.hlf"), "VelumoEng.hlf");
}

TEST(LangFiles, RussianHlf) {
    checkHlf("VelumoRus.hlf", kRusLanguage);
    expectCp866(readFile("VelumoRus.hlf"), "VelumoRus.hlf");
}
