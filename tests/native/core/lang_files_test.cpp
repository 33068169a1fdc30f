// The .lng and .hlf files the build writes: FAR 1.x's in the OEM code pages, FAR 3's in UTF-8
// with a byte order mark, with the same messages.
#include "core/message_ids.h"
#include "far1_support.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Language {
    const char* stem;
    const char* oemCodePage;
    const char* far1Header; // the .Language= line in the OEM code page
    const char* far3Header; // the same in UTF-8
};

const Language kLanguages[] = {
    {"VelumoEng", "CP437", ".Language=English,English", ".Language=English,English"},
    // "Русский" in CP866.
    {"VelumoRus", "CP866", ".Language=Russian,Russian (\x90\xe3\xe1\xe1\xaa\xa8\xa9)",
     ".Language=Russian,Russian (Русский)"},
};
const std::string kByteOrderMark = "\xEF\xBB\xBF";

std::string readFile(const char* folder, const std::string& name) {
    std::ifstream in(std::string(folder) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << folder << "/" << name;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string far1File(const Language& language, const char* kind) {
    return readFile(VELUMO_LANG_DIR, std::string(language.stem) + kind);
}

// The FAR 3 file without its byte order mark, which must be there.
std::string far3File(const Language& language, const char* kind) {
    const std::string name = std::string(language.stem) + kind;
    const std::string text = readFile(VELUMO_LANG_DIR_FAR3, name);
    EXPECT_EQ(0u, text.rfind(kByteOrderMark, 0)) << name << " has no UTF-8 byte order mark";
    return text.rfind(kByteOrderMark, 0) == 0 ? text.substr(kByteOrderMark.size()) : text;
}

// iconv over the whole text; false when a byte sequence is invalid or has no form in `to`.
bool convert(const std::string& text, const char* from, const char* to, std::string* out) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert " << from << " to " << to;
        return false;
    }
    std::string in = text;
    out->assign(4 * text.size() + 4, '\0');
    char* inAt = &in[0];
    char* outAt = &(*out)[0];
    size_t inLeft = in.size();
    size_t outLeft = out->size();
    const bool converted =
        iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1) &&
        inLeft == 0;
    iconv_close(converter);
    out->resize(out->size() - outLeft);
    return converted;
}

void expectUtf8(const std::string& text, const std::string& name) {
    std::string wide;
    EXPECT_TRUE(convert(text, "UTF-8", "UTF-16LE", &wide)) << name << " is not valid UTF-8";
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
}

void expectOemCodePage(const Language& language, const std::string& text, const std::string& name) {
    if (std::string(language.oemCodePage) == "CP866") {
        expectCp866(text, name);
    } else {
        expectAscii(text, name);
    }
}

// The messages, in id order.
std::vector<std::string> checkLng(const std::string& text, const std::string& name,
                                  const char* header) {
    std::vector<std::string> messages;
    expectCrlf(text, name);
    const std::vector<std::string> all = Lines(text);
    EXPECT_FALSE(all.empty()) << name;
    if (all.empty())
        return messages;
    EXPECT_EQ(all[0], header) << name;
    for (size_t i = 1; i < all.size(); ++i) {
        const std::string& line = all[i];
        if (line.empty() || line.rfind("//", 0) == 0)
            continue;
        EXPECT_EQ(line[0], '"') << name << ":" << i + 1 << ": stray line: " << line;
        EXPECT_GE(line.size(), 2u) << name << ":" << i + 1 << ": unclosed string";
        if (line[0] != '"' || line.size() < 2)
            continue;
        EXPECT_EQ(line.back(), '"') << name << ":" << i + 1 << ": unclosed string";
        const std::string body = line.substr(1, line.size() - 2);
        EXPECT_EQ(body.find('"'), std::string::npos) << name << ":" << i + 1 << ": inner quote";
        messages.push_back(body);
    }
    EXPECT_EQ(messages.size(), static_cast<size_t>(kMessageCount))
        << name << ": message ids must be 0.." << kMessageCount - 1;
    return messages;
}

void checkHlf(const std::string& text, const std::string& name, const char* header) {
    expectCrlf(text, name);
    const std::vector<std::string> all = Lines(text);
    ASSERT_GE(all.size(), 2u) << name;
    EXPECT_EQ(all[0], header) << name;
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

// What only FAR 1.x has: the disks menu digit and the settings in the registry.
const char* const kFar1OnlyWords[] = {"DisksMenuDigit", "HKEY_CURRENT_USER", "REG_DWORD", "1-9"};

} // namespace

TEST(LangFiles, Far1FilesInTheOemCodePage) {
    for (const Language& language : kLanguages) {
        for (const char* kind : {".lng", ".hlf"}) {
            const std::string name = std::string("FAR 1.x ") + language.stem + kind;
            const std::string text = far1File(language, kind);
            expectOemCodePage(language, text, name);
            if (std::string(kind) == ".lng") {
                checkLng(text, name, language.far1Header);
                continue;
            }
            checkHlf(text, name, language.far1Header);
            for (const char* word : kFar1OnlyWords) {
                EXPECT_NE(std::string::npos, text.find(word)) << name << " lacks " << word;
            }
        }
    }
}

// FAR 3's .lng holds, id for id, the messages of FAR 1.x's; its .hlf leaves out FAR 1.x's own.
TEST(LangFiles, Far3FilesInUtf8WithTheSameMessages) {
    for (const Language& language : kLanguages) {
        const std::string name = std::string("FAR 3 ") + language.stem;
        const std::string lng = far3File(language, ".lng"), hlf = far3File(language, ".hlf");
        expectUtf8(lng, name + ".lng");
        expectUtf8(hlf, name + ".hlf");
        checkHlf(hlf, name + ".hlf", language.far3Header);
        for (const char* word : kFar1OnlyWords) {
            EXPECT_EQ(std::string::npos, hlf.find(word)) << name << ".hlf describes " << word;
        }
        const std::vector<std::string> far3 = checkLng(lng, name + ".lng", language.far3Header);
        const std::vector<std::string> far1 =
            checkLng(far1File(language, ".lng"), std::string("FAR 1.x ") + language.stem + ".lng",
                     language.far1Header);
        ASSERT_EQ(far1.size(), far3.size()) << name;
        for (size_t id = 0; id < far3.size(); ++id) {
            std::string oem;
            EXPECT_TRUE(convert(far3[id], "UTF-8", language.oemCodePage, &oem)) << name << id;
            EXPECT_EQ(far1[id], oem) << name << ": message " << id << " differs from FAR 1.x's";
        }
    }
}

// The configuration menu's path as each FAR names it: FAR 3's Russian menu says "плагинов",
// FAR 1.x's "внешних модулей"; both English menus say "Plugins configuration".
TEST(LangFiles, EachFrontEndsHelpNamesTheMenuPathItsFarShows) {
    const char* const kPaths[][2] = {
        {"Options, Plugins configuration", "Options, Plugins configuration"},
        {"Параметры, Параметры внешних модулей", "Параметры, Параметры плагинов"}};
    for (size_t i = 0; i < 2; ++i) {
        const Language& language = kLanguages[i];
        std::string far1Text = far1File(language, ".hlf"), far3Text = far3File(language, ".hlf");
        std::string far1Path, far3PathInOem;
        ASSERT_TRUE(convert(kPaths[i][0], "UTF-8", language.oemCodePage, &far1Path));
        ASSERT_TRUE(convert(kPaths[i][1], "UTF-8", language.oemCodePage, &far3PathInOem));
        for (std::string* text : {&far1Text, &far3Text}) { // the path may wrap at its space
            for (size_t at = text->find("\r\n"); at != std::string::npos; at = text->find("\r\n")) {
                text->replace(at, 2, " ");
            }
        }
        EXPECT_NE(std::string::npos, far1Text.find(far1Path)) << language.stem << " FAR 1.x";
        EXPECT_NE(std::string::npos, far3Text.find(kPaths[i][1])) << language.stem << " FAR 3";
        if (far1Path != far3PathInOem) {
            EXPECT_EQ(std::string::npos, far1Text.find(far3PathInOem)) << language.stem;
            EXPECT_EQ(std::string::npos, far3Text.find(kPaths[i][0])) << language.stem;
        }
    }
}
