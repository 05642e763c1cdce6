#include "shell/qt/status_bar.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "core/moves.h"
#include "model/catalogue.h"
#include "model/score.h"
#include "play/current.h"
#include "play/pointer.h"
#include "shell/history_recorder.h"
#include "shell/menu.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/solver_progress.h"
#include "shell/solver_service.h"
#include "shell/table_review.h"
#include "view/table_drawing.h"

namespace korvat::qt {

namespace {

// Said in the bar while the hint shown is not proven to lead to a win.
constexpr const char* kUnprovenHint = "Not proven: the solver's best guess at a move towards a win";

// The bar of the main window; the solver's hooks reach it through this.
SolverBar* bar = nullptr;

// How often the bar looks at the table and the clock.
constexpr int kPollMilliseconds = 250;
// Runs the search for a winnable deal with its progress shown.
void searchWithProgress(WinnableSearch& search) {
    ProgressWork work;
    work.label = QStringLiteral("Looking for a deal that can be won...");
    work.range = static_cast<int>(kWinnableTries);
    work.run = [&search] { runWinnableSearch(search); };
    work.done = [&search] { return search.done.load(std::memory_order_acquire); };
    work.cancel = [&search] { search.stop.store(true); };
    work.detail = [&search] {
        return QStringLiteral("Game number %1").arg(search.trying.load(std::memory_order_relaxed));
    };
    work.value = [&search] { return static_cast<int>(search.tried.load(std::memory_order_relaxed)); };
    runWithProgress(bar ? bar->window() : nullptr, work);
}

// Runs the review of a lost deal with its progress shown.
void reviewWithProgress(ReviewJob& job) {
    ProgressWork work;
    work.label = QStringLiteral("Looking for the move that lost the deal...");
    work.range = 1000;
    work.run = [&job] { runReview(job); };
    work.done = [&job] { return job.done.load(std::memory_order_acquire); };
    work.cancel = [&job] { job.stop.store(true); };
    work.detail = [&job] {
        return QStringLiteral("%1 tables of the deal solved").arg(job.solved.load(std::memory_order_relaxed));
    };
    work.value = [&job] {
        const int estimate = std::max(1, job.estimate.load(std::memory_order_relaxed));
        return 1000 * job.solved.load(std::memory_order_relaxed) / estimate;
    };
    runWithProgress(bar ? bar->window() : nullptr, work);
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
    waitForReview = reviewWithProgress;
    wonByDemo = tableSolver::finishedByDemo;
    // The first search waits for the first table on the screen: a search
    // started before it would slow it down.
    connect(&window->table(), &TableWidget::firstTableShown, this, [this] {
        tableOnScreen_ = true;
        if (searchQueued_) startQueuedSearch();
    });

    if (QAction* a = window->action(Command::Hint)) connect(a, &QAction::triggered, this, &SolverBar::hint);
    if (QAction* a = window->action(Command::Demo)) connect(a, &QAction::triggered, this, &SolverBar::startDemo);
    if (QAction* a = window->action(Command::WhereWrong))
        connect(a, &QAction::triggered, this, &SolverBar::whereWrong);
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
    waitForReview = nullptr;
    if (wonByDemo == tableSolver::finishedByDemo) wonByDemo = nullptr;
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
    // The words of an unproven hint go with its marks.
    if (!currentMessage().isEmpty() && !view::hintShown()) clearMessage();
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
    if (reviewWanted_ && tableSolver::verdict() != TableVerdict::Thinking && !carrying()) {
        reviewWanted_ = false;
        whereWrong();
    }
}

void SolverBar::whereWrong() {
    if (carrying()) return;
    tableSolver::tableChanged();
    if (tableSolver::verdict() == TableVerdict::Thinking) {
        // Once the verdict has come.
        reviewWanted_ = true;
        tableSolver::searchIfNeeded();
        return;
    }
    reviewWanted_ = false;
    whereDidItGoWrong();
    refresh();
}

void SolverBar::hint() {
    if (carrying()) return;
    core::Move move;
    bool proven = false;
    switch (hintMove(move, proven)) {
        case HintAnswer::Move:
            hintWanted_ = false;
            historyRecorder::helpUsed(historyRecorder::Help::Hint);
            view::showHint(move);
            // A move nothing proves yet is marked the same way and said to be so.
            if (proven)
                clearMessage();
            else
                showMessage(QString::fromLatin1(kUnprovenHint));
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
    bool proven = false;
    switch (hintMove(move, proven)) {
        case HintAnswer::Move:
            if (!proven) {
                // Demo plays only a line proven to win.
                stopDemo();
                explainNoHint(true);
                break;
            }
            view::clearHint();
            historyRecorder::helpUsed(historyRecorder::Help::Demo);
            tableSolver::playDemoMove(move);
            break;
        case HintAnswer::Thinking: break;  // the verdict comes first
        case HintAnswer::None:
            stopDemo();
            if (currentGame && !core::isWon(currentRules(), currentTable())) explainNoHint(true);
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
