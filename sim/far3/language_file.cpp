// FAR 3's reading of a .lng file: the code page from the BOM, then the quoted messages.
#include "far3_host.h"
#include "oem_437.h"
#include "screen_text.h"

#include <cstdio>

namespace far3host {
namespace {

// UTF-8 after its BOM, else the OEM code page. (FAR also reads UTF-16 files; Velumo's are UTF-8.)
Text Decode(const std::string& bytes) {
    const std::u16string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0
                                    ? panelview::Utf8ToUtf16(bytes.substr(3))
                                    : oem437::ToUtf16(bytes);
    return Text(text.begin(), text.end());
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
