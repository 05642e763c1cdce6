#include "shell/headless_platform.h"

#include <cstdio>
#include <cstdlib>

namespace korvat {

HeadlessPlatform::HeadlessPlatform() {
    // Room enough that play never grows these.
    messages.reserve(256);
    title.reserve(128);
    sounds.reserve(8192);
}

int HeadlessPlatform::messageBox(const char* text, const char* caption, unsigned style) {
    messages.push_back({caption, text, style});
    // The fatal boxes end the program: say why where a headless user sees it.
    if (style & Mb::SystemModal) std::fprintf(stderr, "%s %s\n", caption, text);
    if (!scriptedAnswers.empty()) {
        int answer = scriptedAnswers.front();
        scriptedAnswers.pop_front();
        return answer;
    }
    switch (style & Mb::ButtonMask) {
        case Mb::YesNo: return answerYes ? IdYes : IdNo;
        case Mb::OkCancel: return answerYes ? IdOk : IdCancel;
        default: return IdOk;
    }
}

void HeadlessPlatform::setTitle(const char* text) { title.assign(text); }

void HeadlessPlatform::playSound(int soundId) {
    if (sounds.size() < sounds.capacity()) sounds.push_back(soundId);
}

void HeadlessPlatform::openHelp(const char* file, int context) {
    helpFile = file;
    helpContext = context;
}

void HeadlessPlatform::startTimer(int, int milliseconds) { timerPeriod = milliseconds; }
void HeadlessPlatform::stopTimer(int) { timerPeriod = 0; }

static bool nextFile(std::deque<std::string>& files, std::string& name) {
    if (files.empty()) return false;
    std::string chosen = files.front();
    files.pop_front();
    if (chosen.empty()) return false;
    name = chosen;
    return true;
}

bool HeadlessPlatform::openFileDialog(std::string& name) { return nextFile(scriptedFiles, name); }
bool HeadlessPlatform::saveFileDialog(std::string& name) { return nextFile(scriptedFiles, name); }

int HeadlessPlatform::iniReadInt(const char* section, const char* key, int defaultValue) {
    auto it = ini.find(std::string(section) + "/" + key);
    if (it == ini.end()) return defaultValue;
    return static_cast<int>(std::strtoul(it->second.c_str(), nullptr, 10));
}

bool HeadlessPlatform::iniWriteString(const char* section, const char* key, const char* value) {
    ini[std::string(section) + "/" + key] = value;
    return true;
}

}  // namespace korvat
