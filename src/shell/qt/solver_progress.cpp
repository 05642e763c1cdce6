#include "shell/qt/solver_progress.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <thread>

namespace korvat::qt {

namespace {

// How long the work runs before it shows its progress.
constexpr int kProgressAfterMilliseconds = 500;

bool isInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::Close:  // the window is not closed under the work
            return true;
        default: return false;
    }
}

// Keeps every input but the progress dialog's from the program while the
// work runs: nothing else may change the game then. Closing the main
// window meanwhile cancels the work, and the window closes once it has
// stopped.
class InputGate final : public QObject {
public:
    InputGate(QWidget* allowed, QWidget* mainWindow, std::function<void()> cancel)
        : allowed_(allowed), main_(mainWindow), cancel_(std::move(cancel)) {
        qApp->installEventFilter(this);
    }
    ~InputGate() override { qApp->removeEventFilter(this); }
    bool closeWanted() const { return closeWanted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The windows pass their input on to their widgets, which are judged.
        if (!isInput(event->type()) || watched->isWindowType()) return false;
        for (QObject* o = watched; o; o = o->parent())
            if (o == allowed_) return false;
        if (event->type() == QEvent::Close && watched == main_) {
            closeWanted_ = true;
            cancel_();
            event->ignore();  // not now: once the work has stopped
        }
        return true;
    }

private:
    QWidget* allowed_;
    QWidget* main_;
    std::function<void()> cancel_;
    bool closeWanted_ = false;
};

}  // namespace

void runWithProgress(QWidget* main, const ProgressWork& work) {
    std::thread worker(work.run);
    QProgressDialog progress(main);
    InputGate gate(&progress, main, work.cancel);
    progress.setWindowTitle(QStringLiteral("Korvat"));
    progress.setLabelText(work.label);
    progress.setRange(0, work.range);
    progress.setMinimumDuration(kProgressAfterMilliseconds);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // Not modal: the gate keeps the input from the main window, whose close
    // button the window system would otherwise not pass on.
    progress.setWindowModality(Qt::NonModal);
    QObject::connect(&progress, &QProgressDialog::canceled, work.cancel);

    QEventLoop loop;
    QTimer tick;
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (work.done()) {
            loop.quit();
            return;
        }
        if (work.detail) progress.setLabelText(work.label + QLatin1Char('\n') + work.detail());
        if (work.value) progress.setValue(std::min(work.value(), work.range));
    });
    tick.start();
    progress.setValue(0);  // starts the dialog's own clock
    loop.exec();
    // The program may be ending (its loops all quit): the work stops.
    if (!work.done()) work.cancel();
    worker.join();
    if (gate.closeWanted() && main) QTimer::singleShot(0, main, [main] { main->close(); });
}

}  // namespace korvat::qt
