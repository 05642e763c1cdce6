#include "shell/qt/status_bar.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <functional>
#include <thread>

#include "core/moves.h"
#include "model/catalogue.h"
#include "play/current.h"
#include "play/pointer.h"
#include "shell/history_recorder.h"
#include "shell/menu.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/solver_service.h"
#include "view/table_drawing.h"

namespace korvat::qt {

namespace {

// The bar of the main window; the solver's hooks reach it through this.
SolverBar* bar = nullptr;

// How often the bar looks at the table and the clock.
constexpr int kPollMilliseconds = 250;
// How long the search for a winnable deal runs before it shows its progress.
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
        case QEvent::Close:  // the window is not closed under the search
            return true;
        default: return false;
    }
}

// Keeps every input but the progress dialog's from the program while the
// search for a winnable deal runs: nothing else may change the game then.
// Closing the main window meanwhile cancels the search, and the window
// closes once it has stopped.
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
            event->ignore();  // not now: once the search has stopped
        }
        return true;
    }

private:
    QWidget* allowed_;
    QWidget* main_;
    std::function<void()> cancel_;
    bool closeWanted_ = false;
};

// Runs the search on a thread of its own; the window stays drawn, and once
// the search has taken longer than a moment a progress dialog with Cancel
// shows how far it has come.
void searchWithProgress(WinnableSearch& search) {
    std::thread worker([&search] { runWinnableSearch(search); });
    QWidget* main = bar ? bar->window() : nullptr;
    QProgressDialog progress(main);
    InputGate gate(&progress, main, [&search] { search.stop.store(true); });
    progress.setWindowTitle(QStringLiteral("Korvat"));
    progress.setLabelText(QStringLiteral("Looking for a deal that can be won..."));
    progress.setRange(0, static_cast<int>(kWinnableTries));
    progress.setMinimumDuration(kProgressAfterMilliseconds);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // Not modal: the gate keeps the input from the main window, whose close
    // button the window system would otherwise not pass on.
    progress.setWindowModality(Qt::NonModal);
    QObject::connect(&progress, &QProgressDialog::canceled, [&search] { search.stop.store(true); });

    QEventLoop loop;
    QTimer tick;
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (search.done.load(std::memory_order_acquire)) {
            loop.quit();
            return;
        }
        progress.setLabelText(QStringLiteral("Looking for a deal that can be won...\nGame number %1")
                                  .arg(search.trying.load(std::memory_order_relaxed)));
        progress.setValue(static_cast<int>(search.tried.load(std::memory_order_relaxed)));
    });
    tick.start();
    progress.setValue(0);  // starts the dialog's own clock
    loop.exec();
    // The program may be ending (its loops all quit): the search stops.
    if (!search.done.load(std::memory_order_acquire)) search.stop.store(true);
    worker.join();
    // The dialog held the keys; the main window takes them back.
    if (main && main->isVisible()) main->activateWindow();
    if (gate.closeWanted() && main)
        QTimer::singleShot(0, main, [main] { main->close(); });
}

}  // namespace

SolverBar::SolverBar(MainWindow* window) : QStatusBar(window), window_(window) {
    setObjectName(QStringLiteral("solverBar"));
    setSizeGripEnabled(false);
    verdict_ = new QLabel(this);
    moves_ = new QLabel(this);
    time_ = new QLabel(this);
    verdict_->setObjectName(QStringLiteral("verdict"));
    moves_->setObjectName(QStringLiteral("moves"));
    time_->setObjectName(QStringLiteral("time"));
    addWidget(verdict_, 1);
    addPermanentWidget(moves_);
    addPermanentWidget(time_);

    bar = this;
    readWinnableSetting(window->platform());
    view::tableShown = [] { tableSolver::tableChanged(); };
    tableSolver::searchWanted = [] {
        if (!bar || bar->searchQueued_) return;
        bar->searchQueued_ = true;
        if (bar->tableOnScreen_) bar->startQueuedSearch();
    };
    tableSolver::searchEnded = [] {
        // On the search's thread: the answer is taken on the window's.
        if (bar) QMetaObject::invokeMethod(bar, [] { bar->answerCame(); }, Qt::QueuedConnection);
    };
    waitForWinnableSearch = searchWithProgress;
    // The first search waits for the first table on the screen: a search
    // started before it would slow it down.
    connect(&window->table(), &TableWidget::firstTableShown, this, [this] {
        tableOnScreen_ = true;
        if (searchQueued_) startQueuedSearch();
    });

    if (QAction* a = window->action(Command::Hint)) connect(a, &QAction::triggered, this, &SolverBar::hint);
    if (QAction* a = window->action(Command::Demo)) connect(a, &QAction::triggered, this, &SolverBar::startDemo);
    connect(&poll_, &QTimer::timeout, this, [this] {
        tableSolver::tableChanged();
        answerCame();
    });
    poll_.start(kPollMilliseconds);
    demo_.setSingleShot(false);
    connect(&demo_, &QTimer::timeout, this, &SolverBar::demoStep);
    qApp->installEventFilter(this);
    refresh();
}

SolverBar::~SolverBar() {
    qApp->removeEventFilter(this);
    poll_.stop();
    demo_.stop();
    view::tableShown = nullptr;
    tableSolver::searchWanted = nullptr;
    // Every search stops and its thread is joined before the hooks go.
    tableSolver::shutDown();
    tableSolver::searchEnded = nullptr;
    waitForWinnableSearch = nullptr;
    if (bar == this) bar = nullptr;
}

QString SolverBar::verdictText() const { return verdict_->text(); }
QString SolverBar::movesText() const { return moves_->text(); }
QString SolverBar::timeText() const { return time_->text(); }

void SolverBar::refresh() {
    const QString verdict = QString::fromLatin1(tableVerdictText(tableSolver::verdict()));
    const QString moves = QStringLiteral("Moves: %1").arg(movesMade());
    const uint32_t seconds = timePlayed() / 1000;
    const QString time = QStringLiteral("Time: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    // Only what changed is drawn again.
    if (verdict_->text() != verdict) verdict_->setText(verdict);
    if (moves_->text() != moves) moves_->setText(moves);
    if (time_->text() != time) time_->setText(time);
}

void SolverBar::startQueuedSearch() {
    // Once the event that changed the table is over: its glides and
    // repaints never wait for the start of a search.
    QTimer::singleShot(0, this, [this] {
        searchQueued_ = false;
        tableSolver::searchIfNeeded();
        refresh();
    });
}

void SolverBar::answerCame() {
    tableSolver::collect();
    refresh();
    if (hintWanted_ && tableSolver::verdict() != TableVerdict::Thinking && !carrying()) {
        hintWanted_ = false;
        hint();
    }
}

void SolverBar::hint() {
    if (carrying()) return;
    core::Move move;
    switch (hintMove(move)) {
        case HintAnswer::Move:
            hintWanted_ = false;
            historyRecorder::helpUsed(historyRecorder::Help::Hint);
            view::showHint(move);
            break;
        case HintAnswer::Thinking: hintWanted_ = true; break;
        case HintAnswer::None:
            hintWanted_ = false;
            explainNoHint();
            break;
    }
    refresh();
}

void SolverBar::startDemo() {
    if (carrying()) return;
    hintWanted_ = false;
    demo_.start(demoPause);
    demoStep();
}

void SolverBar::stopDemo() { demo_.stop(); }

void SolverBar::demoStep() {
    if (!demo_.isActive() || carrying()) return;
    core::Move move;
    switch (hintMove(move)) {
        case HintAnswer::Move:
            view::clearHint();
            historyRecorder::helpUsed(historyRecorder::Help::Demo);
            playMove(move);
            break;
        case HintAnswer::Thinking: break;  // the verdict comes first
        case HintAnswer::None:
            stopDemo();
            if (currentGame && !core::isWon(currentRules(), currentTable())) explainNoHint();
            break;
    }
    refresh();
}

bool SolverBar::eventFilter(QObject* watched, QEvent* event) {
    if (demo_.isActive()) {
        // Any key or mouse button stops the demo; keys and presses on the
        // table do nothing else.
        switch (event->type()) {
            case QEvent::ShortcutOverride:
                // Taken as a plain key, so that no command runs; the key
                // press that follows goes nowhere.
                stopDemo();
                swallowKey_ = true;
                event->accept();
                return true;
            case QEvent::KeyPress: stopDemo(); return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                stopDemo();
                return watched == &window_->table();
            default: break;
        }
    }
    if (swallowKey_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        swallowKey_ = false;
        return event->type() == QEvent::KeyPress;
    }
    return QStatusBar::eventFilter(watched, event);
}

}  // namespace korvat::qt
