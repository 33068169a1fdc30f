// FAR 3's reading of a .lng file: the code page from the BOM, then the quoted messages.
#include "far3_host.h"
#include "oem_437.h"

#include <cstdio>

namespace far3host {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void Append(Text* text, char32_t codePoint) {
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        text->push_back(static_cast<WCHAR>(0xD800 + (codePoint >> 10)));
        text->push_back(static_cast<WCHAR>(0xDC00 + (codePoint & 0x3FF)));
    } else {
        text->push_back(static_cast<WCHAR>(codePoint));
    }
}

// UTF-8 to UTF-16; a malformed, overlong or surrogate sequence becomes U+FFFD.
Text FromUtf8(const std::string& bytes, size_t start) {
    Text text;
    size_t i = start;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i++]);
        size_t extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 4;
        if (extra == 0 || extra == 4 || lead > 0xF4) {
            Append(&text, extra == 0 ? lead : kReplacement);
            continue;
        }
        char32_t codePoint = lead & (0x3F >> extra);
        size_t taken = 0;
        while (taken < extra && i < bytes.size() &&
               (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(bytes[i++]) & 0x3F);
            ++taken;
        }
        const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        bool valid = taken == extra && codePoint >= smallest[extra] && codePoint <= 0x10FFFF &&
                     (codePoint < 0xD800 || codePoint > 0xDFFF);
        Append(&text, valid ? codePoint : kReplacement);
    }
    return text;
}

Text FromCp437(const std::string& bytes) {
    Text text;
    for (char byte : bytes) {
        unsigned char c = static_cast<unsigned char>(byte);
        text.push_back(c < 0x80 ? static_cast<WCHAR>(c)
                                : static_cast<WCHAR>(oem437::kUpperHalf[c - 0x80]));
    }
    return text;
}

// UTF-8 after its BOM, else the OEM code page. (FAR also reads UTF-16 files; Velumo's are UTF-8.)
Text Decode(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return FromUtf8(bytes, 3);
    }
    return FromCp437(bytes);
}

Text Trimmed(const Text& line) {
    const WCHAR blanks[] = {' ', '\t', '\r', '\n', 0};
    size_t first = line.find_first_not_of(blanks);
    if (first == Text::npos) {
        return Text();
    }
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

// A message line (starting with '"'): its text up to the last '"' (all of it when the closing
// quote is missing), with the escapes decoded. An unknown escape stays as written.
Text MessageText(const Text& line) {
    size_t last = line.find_last_of('"');
    Text quoted = last > 0 ? line.substr(1, last - 1) : line.substr(1);
    Text text;
    for (size_t i = 0; i < quoted.size(); ++i) {
        WCHAR c = quoted[i];
        WCHAR next = i + 1 < quoted.size() ? quoted[i + 1] : 0;
        if (c == '"' && next == '"') {
            text.push_back('"');
            ++i;
        } else if (c == '\\' && next != 0) {
            const WCHAR escaped[] = {'\\', '"', 'n', 'r', 't', 'b'};
            const WCHAR meant[] = {'\\', '"', '\n', '\r', '\t', '\b'};
            size_t known = 0;
            while (known < 6 && escaped[known] != next) {
                ++known;
            }
            if (known < 6) {
                text.push_back(meant[known]);
                ++i;
            } else {
                text.push_back(c);
            }
        } else {
            text.push_back(c);
        }
    }
    return text;
}

} // namespace

bool LoadLanguageFile(const std::string& path, LanguageFile* file) {
    FILE* stream = fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        return false;
    }
    std::string bytes;
    char chunk[4096];
    size_t read;
    while ((read = fread(chunk, 1, sizeof(chunk), stream)) > 0) {
        bytes.append(chunk, read);
    }
    fclose(stream);

    *file = LanguageFile();
    Text text = Decode(bytes);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == Text::npos) {
            end = text.size();
        }
        Text line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line[0] == '"') {
            file->messages.push_back(MessageText(line));
        }
    }
    return true;
}

} // namespace far3host
