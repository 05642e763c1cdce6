// The platform without a window: used by the tests and by korvat-cli.
// It records every message box and title, answers questions from a script,
// and has a clock that the caller sets.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "model/platform.h"

namespace korvat {

struct RecordedMessage {
    std::string caption;
    std::string text;
    unsigned style;
};

class HeadlessPlatform : public Platform {
public:
    HeadlessPlatform();

    int messageBox(const char* text, const char* caption, unsigned style) override;
    void setTitle(const char* text) override;
    void present(const Surface&, int, int, int, int) override { ++presents; }
    void frameShown() override { ++frames; }
    void captureMouse(bool capture) override { captured = capture; }
    void setCursor(CursorShape shape) override { cursor = shape; }
    void playSound(int soundId) override;
    void openHelp(const char* file, int context) override;
    uint32_t tickCount() override { return clock; }
    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;
    bool openFileDialog(std::string& name) override;
    bool saveFileDialog(std::string& name) override;
    int iniReadInt(const char* section, const char* key, int defaultValue) override;
    bool iniWriteString(const char* section, const char* key, const char* value) override;

    // Answers to questions: the next scripted answer if any, else Yes/OK
    // (or No/Cancel when answerYes is false).
    std::deque<int> scriptedAnswers;
    bool answerYes = true;
    // File names the file dialogs return; an empty entry means cancel.
    std::deque<std::string> scriptedFiles;

    std::vector<RecordedMessage> messages;
    std::string title;
    std::vector<int> sounds;
    std::string helpFile;
    int helpContext = 0;
    uint32_t clock = 0;
    int timerPeriod = 0;
    int presents = 0;
    int frames = 0;
    bool captured = false;
    CursorShape cursor = CursorShape::Arrow;
    std::map<std::string, std::string> ini;  // "Section/Key" -> value
};

}  // namespace korvat
