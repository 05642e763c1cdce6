// The platform of the desktop program: Qt message boxes, the window title,
// the table widget, the timer, the cursor, sounds and the help window.
#pragma once

#include <QCursor>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "model/platform.h"
#include "store/ini_file.h"

class QSoundEffect;
class QWidget;

namespace korvat::qt {

class MainWindow;

class QtPlatform final : public QObject, public Platform {
    Q_OBJECT
public:
    explicit QtPlatform(MainWindow& window);
    ~QtPlatform() override;

    int messageBox(const char* text, const char* caption, unsigned style) override;
    void setTitle(const char* text) override;
    void present(const Surface& surface, int x, int y, int width, int height) override;
    void animationBegins() override;
    void frameShown() override;
    void captureMouse(bool capture) override;
    void setCursor(CursorShape shape) override;
    void loadSounds() override;
    void freeSounds() override;
    void loadCursor() override;
    void destroyCursor() override;
    void playSound(int soundId) override;
    void openHelp(const char* file, int context) override;
    uint32_t tickCount() override;
    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;
    bool openFileDialog(std::string& name) override;
    bool saveFileDialog(std::string& name) override;
    int iniReadInt(const char* section, const char* key, int defaultValue) override;
    bool iniWriteString(const char* section, const char* key, const char* value) override;
    bool iniWriteStrings(const char* section, const std::vector<std::pair<std::string, std::string>>& values) override;

    // Tests: answer message boxes without showing them, and fix the clock.
    std::function<int(const char* text, const char* caption, unsigned style)> messageHook;
    std::optional<uint32_t> fixedClock;
    // Each glide or animation frame stays on the screen at least this long.
    int minimumFrameMilliseconds = 4;
    // The frames of glides and animations shown so far.
    int framesShown = 0;

    // The window's first table is on the screen: the sound players may be made.
    void tableOnScreen();

private:
    void preparePlayers();

    MainWindow& window_;
    bool playersReady_ = false;
    bool soundsWanted_ = false;  // between loadSounds and freeSounds
    bool tableOnScreen_ = false;
    int pendingSound_ = 0;
    QTimer timer_;
    QElapsedTimer frameClock_;
    std::array<QSoundEffect*, 6> sounds_{};
    QSoundEffect* playing_ = nullptr;
    std::optional<QCursor> carryCursor_;
    SharedIniFile ini_;
};

}  // namespace korvat::qt
