// What the program needs from the window system. The desktop program and
// the headless front end (tests, korvat-cli) each implement it; the engine
// reaches it only through platform().
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvat {

struct Surface;

// Message box styles: buttons, icon and modality, added together.
namespace Mb {
constexpr unsigned Ok = 0x0;
constexpr unsigned OkCancel = 0x1;
constexpr unsigned YesNo = 0x4;
constexpr unsigned IconStop = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconExclamation = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr unsigned SystemModal = 0x1000;
constexpr unsigned ButtonMask = 0xF;
constexpr unsigned IconMask = 0xF0;
}  // namespace Mb

// Buttons a message box returns.
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdYes = 6;
constexpr int IdNo = 7;

enum class CursorShape { Arrow, Carrying };

// The six sounds: the shuffle and five card sounds.
constexpr int kShuffleSound = 1300;
constexpr int kFirstCardSound = 1301;

class Platform {
public:
    virtual ~Platform() = default;

    // Blocks until closed; returns the button pressed.
    virtual int messageBox(const char* text, const char* caption, unsigned style) = 0;
    // The main window's title: the status line.
    virtual void setTitle(const char* text) = 0;
    // Shows a rectangle of a surface in the main window, at the same place.
    virtual void present(const Surface& surface, int x, int y, int width, int height) = 0;
    // Called when a glide or the win animation begins, and once per frame
    // after the frame has been presented.
    virtual void animationBegins() {}
    virtual void frameShown() {}
    virtual void captureMouse(bool capture) = 0;
    virtual void setCursor(CursorShape shape) = 0;
    // The sounds and the carrying cursor, made when the main window is
    // created and freed when it is destroyed.
    virtual void loadSounds() {}
    virtual void freeSounds() {}
    virtual void loadCursor() {}
    virtual void destroyCursor() {}
    // Plays one of the six sounds without waiting; a new one cuts off the last.
    virtual void playSound(int soundId) = 0;
    // Opens a help page at a context number; does not wait.
    virtual void openHelp(const char* file, int context) = 0;
    // Milliseconds since some fixed point, 32 bits.
    virtual uint32_t tickCount() = 0;
    // The periodic timer (id 1, 100 ms) that drives the score check.
    virtual void startTimer(int id, int milliseconds) = 0;
    virtual void stopTimer(int id) = 0;
    // File dialogs for saved games; `name` holds the suggested name and
    // receives the chosen full name. False when cancelled.
    virtual bool openFileDialog(std::string& name) = 0;
    virtual bool saveFileDialog(std::string& name) = 0;
    // The settings file: an integer value (the default when missing), and
    // writing a value as text. Writing reports failure.
    virtual int iniReadInt(const char* section, const char* key, int defaultValue) = 0;
    virtual bool iniWriteString(const char* section, const char* key, const char* value) = 0;
    // Several keys of one section written as one change of the file, in
    // their order (by default one key after the other). False when any
    // could not be written.
    virtual bool iniWriteStrings(const char* section, const std::vector<std::pair<std::string, std::string>>& values);
};

// The platform in use. Until one is installed, a silent one answers every
// question with Yes/OK and shows nothing.
Platform& platform();
void setPlatform(Platform* p);

}  // namespace korvat
