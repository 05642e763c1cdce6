#include "model/platform.h"

namespace korvat {

namespace {

// Shows nothing and answers every question with its first button.
class SilentPlatform final : public Platform {
public:
    int messageBox(const char*, const char*, unsigned style) override {
        return (style & Mb::ButtonMask) == Mb::YesNo ? IdYes : IdOk;
    }
    void setTitle(const char*) override {}
    void present(const Surface&, int, int, int, int) override {}
    void captureMouse(bool) override {}
    void setCursor(CursorShape) override {}
    void playSound(int) override {}
    void openHelp(const char*, int) override {}
    uint32_t tickCount() override { return 0; }
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    bool openFileDialog(std::string&) override { return false; }
    bool saveFileDialog(std::string&) override { return false; }
    int iniReadInt(const char*, const char*, int defaultValue) override { return defaultValue; }
    bool iniWriteString(const char*, const char*, const char*) override { return true; }
};

SilentPlatform silent;
Platform* current = &silent;

}  // namespace

bool Platform::iniWriteStrings(const char* section, const std::vector<std::pair<std::string, std::string>>& values) {
    bool written = true;
    for (const auto& [key, value] : values)
        if (!iniWriteString(section, key.c_str(), value.c_str())) written = false;
    return written;
}

Platform& platform() { return *current; }
void setPlatform(Platform* p) { current = p ? p : &silent; }

}  // namespace korvat
