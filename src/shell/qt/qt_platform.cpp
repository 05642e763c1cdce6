#include "shell/qt/qt_platform.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QSoundEffect>
#include <QThread>
#include <ctime>

#include "model/score.h"
#include "shell/qt/help_window.h"
#include "shell/qt/main_window.h"
#include "store/ini_file.h"

namespace korvat::qt {

QtPlatform::QtPlatform(MainWindow& window) : window_(window) {
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, [] { scoreTick(); });
}

QtPlatform::~QtPlatform() { freeSounds(); }

int QtPlatform::messageBox(const char* text, const char* caption, unsigned style) {
    if (messageHook) return messageHook(text, caption, style);
    QMessageBox box(&window_);
    box.setWindowTitle(QString::fromLatin1(caption));
    box.setText(QString::fromLatin1(text));
    switch (style & Mb::IconMask) {
        case Mb::IconStop: box.setIcon(QMessageBox::Critical); break;
        case Mb::IconQuestion: box.setIcon(QMessageBox::Question); break;
        case Mb::IconExclamation: box.setIcon(QMessageBox::Warning); break;
        case Mb::IconInformation: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (style & Mb::ButtonMask) {
        case Mb::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case Mb::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
        default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    if (style & Mb::SystemModal) box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
        case QMessageBox::Yes: return IdYes;
        case QMessageBox::No: return IdNo;
        case QMessageBox::Cancel: return IdCancel;
        default: return IdOk;
    }
}

void QtPlatform::setTitle(const char* text) { window_.setWindowTitle(QString::fromLatin1(text)); }

void QtPlatform::present(const Surface&, int x, int y, int width, int height) {
    window_.showTableRect(x, y, width, height);
}

void QtPlatform::animationBegins() { frameClock_.start(); }

void QtPlatform::frameShown() {
    // A frame is drawn as soon as it is computed; holding it for a few
    // milliseconds lets the eye follow a card's flight on a fast machine.
    if (!frameClock_.isValid()) frameClock_.start();
    const qint64 left = minimumFrameMilliseconds - frameClock_.elapsed();
    if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
    frameClock_.restart();
    ++framesShown;
}

void QtPlatform::captureMouse(bool capture) { window_.captureMouse(capture); }

void QtPlatform::setCursor(CursorShape shape) {
    if (shape == CursorShape::Carrying && carryCursor_)
        window_.setTableCursor(*carryCursor_);
    else
        window_.setTableCursor(QCursor(Qt::ArrowCursor));
}

void QtPlatform::loadSounds() {
    // The six sounds are compiled into the program. The players that decode
    // them and talk to the audio device are made once the first table is on
    // the screen (opening the audio device can take longer than everything
    // else the start does); a sound asked for before then plays when they
    // are ready.
    soundsWanted_ = true;
    if (tableOnScreen_) QTimer::singleShot(0, this, [this] { preparePlayers(); });
}

void QtPlatform::tableOnScreen() {
    tableOnScreen_ = true;
    if (soundsWanted_) QTimer::singleShot(0, this, [this] { preparePlayers(); });
}

void QtPlatform::preparePlayers() {
    if (playersReady_ || !soundsWanted_) return;
    playersReady_ = true;
    static const char* const names[6] = {"shuffle", "card1", "card2", "card3", "card4", "card5"};
    for (int i = 0; i < 6; ++i) {
        auto* effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(QLatin1String(names[i]))));
        sounds_[static_cast<size_t>(i)] = effect;
    }
    if (pendingSound_) {
        const int sound = pendingSound_;
        pendingSound_ = 0;
        playSound(sound);
    }
}

void QtPlatform::freeSounds() {
    for (auto it = sounds_.rbegin(); it != sounds_.rend(); ++it) {
        delete *it;
        *it = nullptr;
    }
    playing_ = nullptr;
    playersReady_ = false;
    soundsWanted_ = false;
    pendingSound_ = 0;
}

void QtPlatform::loadCursor() {
    QImage image(QStringLiteral(":/icons/carry-cursor.png"));
    if (image.isNull()) return;
    carryCursor_.emplace(QPixmap::fromImage(image), image.text(QStringLiteral("HotSpotX")).toInt(),
                         image.text(QStringLiteral("HotSpotY")).toInt());
}

void QtPlatform::destroyCursor() { carryCursor_.reset(); }

void QtPlatform::playSound(int soundId) {
    const int index = soundId - kShuffleSound;
    if (index < 0 || index >= 6) return;
    if (!playersReady_) {
        pendingSound_ = soundId;  // played as soon as the players are ready
        return;
    }
    if (!sounds_[static_cast<size_t>(index)]) return;
    // The newest sound cuts off the one still playing. With no audio
    // device the effects simply stay silent.
    if (playing_ && playing_->isPlaying()) playing_->stop();
    playing_ = sounds_[static_cast<size_t>(index)];
    playing_->play();
}

void QtPlatform::openHelp(const char* file, int context) { HelpWindow::open(&window_, file, context); }

uint32_t QtPlatform::tickCount() {
    if (fixedClock) return *fixedClock;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

void QtPlatform::startTimer(int, int milliseconds) { timer_.start(milliseconds); }
void QtPlatform::stopTimer(int) { timer_.stop(); }

bool QtPlatform::openFileDialog(std::string& name) {
    QFileDialog dialog(&window_, QString(), QString::fromStdString(name), QStringLiteral("Korvat game files (*.GAM)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);  // the file, and so its folder, must exist
    dialog.setDefaultSuffix(QStringLiteral("GAM"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    name = dialog.selectedFiles().first().toStdString();
    return true;
}

bool QtPlatform::saveFileDialog(std::string& name) {
    QFileDialog dialog(&window_, QString(), QString::fromStdString(name), QStringLiteral("Korvat game files (*.GAM)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("GAM"));
    // An existing file of the chosen name is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    name = dialog.selectedFiles().first().toStdString();
    return true;
}

// korvat.ini: read anew at every call, and changed whole at every write,
// merged with what other windows wrote there meanwhile.
int QtPlatform::iniReadInt(const char* section, const char* key, int defaultValue) {
    return ini_.readInt(korvatIniPath(), section, key, defaultValue);
}

bool QtPlatform::iniWriteString(const char* section, const char* key, const char* value) {
    return iniWriteStrings(section, {{key, value}});
}

bool QtPlatform::iniWriteStrings(const char* section, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string error;
    return ini_.write(korvatIniPath(), section, values, error);
}

}  // namespace korvat::qt
