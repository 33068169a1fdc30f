#include "far3_fixture.h"

const std::vector<far3host::Text>& Far3EnglishMessages() {
    static const std::vector<far3host::Text> messages = [] {
        far3host::LanguageFile file;
        far3host::LoadLanguageFile(VELUMO_LANG_DIR_FAR3 "/VelumoEng.lng", &file);
        return file.messages; // left empty when the file cannot be read
    }();
    return messages;
}

bool StartFar3(const std::vector<far3host::StoredSetting>& settings) {
    return far3host::Start(far3host::LinkedPlugin(), Far3EnglishMessages(), settings,
                           FAR3_TEXT("C:\\Far\\Plugins\\Velumo\\Velumo.dll"));
}

far3host::StoredSetting Far3Number(const far3host::Text& name, unsigned long long value) {
    far3host::SettingValue number;
    number.type = far3::FST_QWORD;
    number.number = value;
    return far3host::StoredSetting{far3::PSL_ROAMING, name, number};
}

std::string Far3Anomalies() {
    std::string lines;
    for (const far3host::AnomalyRecord& record : far3host::Anomalies()) {
        lines += "anomaly " + std::to_string(static_cast<int>(record.anomaly)) + ", detail " +
                 std::to_string(record.detail) + "\n";
    }
    return lines;
}
