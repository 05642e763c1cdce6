// The solver at the table, driven through the window offscreen: the
// status bar's verdict, Hint, Demo, a move while the solver thinks, and
// winnable deals only.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QWindow>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/deal.h"
#include "core/moves.h"
#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/current.h"
#include "play/game.h"
#include "play/redo.h"
#include "shell/menu.h"
#include "shell/preferences_dialog.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/status_bar.h"
#include "shell/solver_service.h"
#include "solve/solver.h"
#include "view/pictures.h"
#include "view/table_drawing.h"

using namespace korvat;
using korvat::qt::MainWindow;
using korvat::qt::SolverBar;

namespace {

struct Shown {
    std::string caption, text;
};

bool isLegal(const core::Move& move) {
    core::MoveList list;
    core::legalMoves(currentRules(), currentTable(), list);
    return std::find(list.begin(), list.end(), move) != list.end();
}

// Proves a deal winnable with the solver's own default limits.
bool provenWinnable(uint32_t number) {
    const core::GameRules rules = core::makeRules(*currentGame, {}, number);
    return solve::solve(rules, core::startTable(rules), solve::Limits{}).verdict == solve::Verdict::Winnable;
}

uint32_t pixel(int x, int y) { return view::windowSurface.row(y)[x] & 0xFFFFFF; }

// New draws this game number from the clock when it reads this.
constexpr uint32_t kClockForNumber2 = 306849850;

}  // namespace

class SolverTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<Shown> shown;
    int answer = IdNo;  // to the questions asked
    QTemporaryDir files;

    SolverBar& bar() { return *window->findChild<SolverBar*>(); }
    void deal(int game, uint32_t number) {
        if (currentGame->commandId != game) window->command(game);
        startGame(number);
    }
    QString iniText() {
        QFile ini(files.filePath(QStringLiteral("korvat.ini")));
        return ini.open(QIODevice::ReadOnly) ? QString::fromLatin1(ini.readAll()) : QString();
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        winnableDealsOnly = 0;
        winnableAskAfterMs = 20'000;
        shown.clear();
        answer = IdNo;
        window = new MainWindow();
        QVERIFY(test::startTestWindow(
            *window,
            [this](const char* text, const char* caption, unsigned buttons) {
                shown.push_back({caption, text});
                return (buttons & Mb::ButtonMask) == Mb::YesNo ? answer : IdOk;
            }, false));
        prefs.Move = 0;
    }

    void cleanup() {
        delete window;
        window = nullptr;
    }

    void barUnderTheTableAtTheFirstSize() {
        QCOMPARE(window->table().size(), QSize(640, 480));
        QVERIFY(bar().isVisible());
        QCOMPARE(bar().geometry().top(), window->table().geometry().bottom() + 1);
        QCOMPARE(window->height(), window->menuBar()->height() + 480 + bar().height());
        // The new commands follow every item that was there before.
        const QList<QAction*> top = window->menuBar()->actions();
        const QMenu* solver = top.last()->menu();
        QVERIFY(solver);
        QCOMPARE(top.last()->text(), QStringLiteral("Sol&ver"));
        QCOMPARE(solver->actions(), (QList<QAction*>{window->action(Command::Hint), window->action(Command::Demo),
                                                     window->action(Command::WhereWrong)}));
        QCOMPARE(window->action(Command::WhereWrong)->text(), QStringLiteral("&Where did it go wrong?"));
        QCOMPARE(window->action(Command::Hint)->shortcut(), QKeySequence(Qt::Key_H));
    }

    void hintMarksTheFirstMoveOfAWinningLineAndTheDemoWins() {
        deal(827, 0);
        QTRY_COMPARE(bar().verdictText(), QStringLiteral("Winnable"));
        QCOMPARE(bar().movesText(), QStringLiteral("Moves: 0"));
        const int searches = tableSolver::searchesStarted();

        const Pile& from0 = *pileAt(9);
        const int x = from0.top->x + table.cardWidth / 2, y = from0.top->y + table.cardHeight / 2;
        const uint32_t plain = pixel(x, y);
        QTest::keyClick(&window->table(), Qt::Key_H);
        core::Move move;
        QVERIFY(tableSolver::nextMove(move));
        QVERIFY(isLegal(move));
        QVERIFY(view::hintShown());
        QVERIFY(shown.empty());
        // The deal's first line moves the top card of pile 9: drawn marked.
        QCOMPARE(int(move.kind), int(core::Move::Place));
        QCOMPARE(int(move.from), 9);
        QCOMPARE(pixel(x, y), plain & ~0x404040u);

        // The player makes the hinted move: the marks go, and the rest of
        // the line still wins without a new search.
        playMove(move);
        QVERIFY(!view::hintShown());
        QCOMPARE(bar().verdictText(), QStringLiteral("Winnable"));
        QCOMPARE(tableSolver::searchesStarted(), searches);

        // The demo plays the rest to the win, each move recorded as the
        // player's own.
        bar().demoPause = 1;
        window->action(Command::Demo)->trigger();
        QVERIFY(bar().demoRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!bar().demoRunning(), 120000);
        QVERIFY(core::isWon(currentRules(), currentTable()));
        QVERIFY(shown.empty());
        QVERIFY(movesMade() > 10);
        QVERIFY(table.logIndex != -1);
        QTRY_COMPARE(bar().movesText(), QStringLiteral("Moves: %1").arg(movesMade()));
        QTRY_VERIFY(table.won);
        // Demo's win is not the player's: the log keeps the deal as played,
        // not completed, and the bar says who finished it.
        QCOMPARE(gameLog[static_cast<size_t>(table.logIndex)].status, LogStatus::Started);
        QCOMPARE(bar().verdictText(), QStringLiteral("Finished by Demo"));
        QVERIFY(QString::fromLatin1(statusLine()).endsWith(QStringLiteral("Never completed.")));
    }

    void aDealThePlayerWinsIsWonAndCompleted() {
        deal(827, 0);
        lastScore = 0;  // as the timer saw it (the deal before was won too)
        QTRY_COMPARE(bar().verdictText(), QStringLiteral("Winnable"));
        core::Move move;
        for (int moves = 0; moves < 1000 && !core::isWon(currentRules(), currentTable()); ++moves) {
            tableSolver::tableChanged();
            tableSolver::waitForSearch();
            QVERIFY(tableSolver::nextMove(move));
            playMove(move);
        }
        QVERIFY(core::isWon(currentRules(), currentTable()));
        QTRY_COMPARE(gameLog[static_cast<size_t>(table.logIndex)].status, LogStatus::Completed);
        QCOMPARE(bar().verdictText(), QStringLiteral("Won"));
    }

    void aKeyStopsTheDemo() {
        deal(827, 0);
        bar().demoPause = 50;
        window->action(Command::Demo)->trigger();
        QTRY_VERIFY(movesMade() >= 1);
        QTest::keyClick(&window->table(), Qt::Key_PageUp);
        QVERIFY(!bar().demoRunning());
        QCOMPARE(gameNumber, 0u);  // the key did nothing else
        const int moves = movesMade();
        QTest::qWait(150);
        QCOMPARE(movesMade(), moves);
    }

    void anUnwinnableDealSaysSo() {
        deal(813, 0);  // Fortress, lost from its first table
        QTRY_COMPARE(bar().verdictText(), QStringLiteral("Cannot be won"));
        window->action(Command::Hint)->trigger();
        window->action(Command::Demo)->trigger();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].caption, std::string("NO HINT."));
        QCOMPARE(shown[0].text, std::string("This deal cannot be won."));
        QCOMPARE(shown[1].caption, std::string("NO DEMO."));
        QCOMPARE(shown[1].text, shown[0].text);
        QVERIFY(!view::hintShown());
    }

    void aMoveWhileTheSolverThinksCancelsIt() {
        // Beleaguered Castle 1 takes the solver seconds; after this move a
        // moment shows that it can no longer be won.
        deal(843, 1);
        QTRY_COMPARE(tableSolver::searchesUnderWay(), 1);
        QCOMPARE(bar().verdictText(), QStringLiteral("Thinking..."));
        const int started = tableSolver::searchesStarted();
        const core::Move move = core::Move::place(6, 5, 11);
        QVERIFY(isLegal(move));
        playMove(move);
        // A hint asked for before the verdict comes is given when it comes.
        QTest::keyClick(&window->table(), Qt::Key_H);
        QVERIFY(shown.empty());
        QTRY_COMPARE_WITH_TIMEOUT(bar().verdictText(), QStringLiteral("Can no longer be won"), 10000);
        QTRY_COMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].caption, std::string("NO HINT."));
        QCOMPARE(tableSolver::searchesStarted(), started + 1);
        QTRY_COMPARE_WITH_TIMEOUT(tableSolver::searchesUnderWay(), 0, 2000);
        QCOMPARE(bar().verdictText(), QStringLiteral("Can no longer be won"));
    }

    void hintAtATableNothingDecidesGivesTheMostPromisingMove() {
        // Spider: the solver does not decide this table within its limits.
        deal(901, 1);
        QTRY_COMPARE_WITH_TIMEOUT(bar().verdictText(), QStringLiteral("Not decided"), 30000);
        window->action(Command::Hint)->trigger();
        QVERIFY(shown.empty());
        QVERIFY(view::hintShown());
        QCOMPARE(bar().currentMessage(), QStringLiteral("Not proven: the solver's best guess at a move towards a win"));
        // Demo plays only what is proven.
        window->action(Command::Demo)->trigger();
        QVERIFY(!bar().demoRunning());
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].caption, std::string("NO DEMO."));
        QCOMPARE(movesMade(), 0);
    }

    void whereDidItGoWrongNamesTheMoveAndGoesBack() {
        // Baker's Dozen 1 played at random: lost after these moves, and
        // winnable after the seventh (as the review test finds it).
        deal(816, 1);
        std::mt19937 random(816);
        for (int i = 0; i < 60; ++i) {
            core::MoveList moves;
            core::legalMoves(currentRules(), currentTable(), moves);
            if (moves.size == 0) break;
            playMove(moves.moves[random() % static_cast<unsigned>(moves.size)]);
        }
        const int played = movesMade();
        QTRY_COMPARE_WITH_TIMEOUT(bar().verdictText(), QStringLiteral("Can no longer be won"), 10000);
        // Hint says so and offers the review.
        answer = IdYes;
        window->action(Command::Hint)->trigger();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].caption, std::string("NO HINT."));
        QCOMPARE(shown[0].text, std::string("This deal can no longer be won.\n\nLook for the move that lost it?"));
        QCOMPARE(shown[1].caption, std::string("WHERE IT WENT WRONG."));
        QVERIFY2(shown[1].text.rfind("After 7 moves the deal could still be won. Move 8, moving the ", 0) == 0,
                 shown[1].text.c_str());
        QVERIFY(shown[1].text.find("instead keeps a win.\n\nGo back to the table after move 7?") != std::string::npos);
        // Gone back as Undo goes: Redo makes the moves again.
        QCOMPARE(movesMade(), 7);
        QCOMPARE(redoCount(), played - 7);
        QCOMPARE(bar().verdictText(), QStringLiteral("Winnable"));
        QVERIFY(view::hintShown());
        core::Move keeps;
        QVERIFY(tableSolver::nextMove(keeps));
    }

    void winnableDealsOnlyDealsProvenWinnableNumbers() {
        // The setting is kept in korvat.ini only once it has been switched on.
        QVERIFY(!preferencesControlChecked(PreferencesId::Winnable));
        QVERIFY(preferencesDialogCommand(PreferencesId::Ok));
        QVERIFY(!iniText().contains(QStringLiteral("Winnable")));
        QVERIFY(!preferencesDialogCommand(PreferencesId::Winnable));
        QVERIFY(preferencesControlChecked(PreferencesId::Winnable));
        QVERIFY(preferencesDialogCommand(PreferencesId::Ok));
        QVERIFY(iniText().contains(QStringLiteral("Winnable=4294967295")));

        deal(827, 0);
        window->platform().fixedClock = kClockForNumber2;
        window->action(Command::New)->trigger();
        const uint32_t dealt = gameNumber;
        QVERIFY(dealt >= 2 && dealt < 2 + kWinnableTries);
        QVERIFY(provenWinnable(dealt));
        // The search's answer is the new deal's verdict at once.
        QCOMPARE(bar().verdictText(), QStringLiteral("Winnable"));
        QTest::keyClick(&window->table(), Qt::Key_PageUp);
        QVERIFY(gameNumber > dealt);
        QVERIFY(provenWinnable(gameNumber));
    }

    void aLongSearchOffersToDealTheNumberAnyway() {
        // Fortress 2 and 3 are lost from their first tables: with the
        // question due at once, it comes after the first number tried.
        winnableDealsOnly = -1;
        winnableAskAfterMs = 0;
        deal(813, 0);
        window->platform().fixedClock = kClockForNumber2;
        answer = IdYes;
        window->action(Command::New)->trigger();
        QCOMPARE(gameNumber, 2u);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].caption, std::string("STILL LOOKING."));
        QVERIFY2(shown[0].text.find("(1 game numbers tried).\n\nDeal game number 2 anyway? No goes on looking.") !=
                     std::string::npos,
                 shown[0].text.c_str());
        // No: it goes on, asking again after each number, to a deal it proves winnable.
        answer = IdNo;
        window->action(Command::New)->trigger();
        QVERIFY(gameNumber > 3);
        QCOMPARE(shown.size(), size_t(1 + gameNumber - 2));
        QVERIFY(provenWinnable(gameNumber));
    }

    void closingTheWindowWhileSearchingCancelsAndCloses() {
        // Alhambra: no deal is proved winnable within the search's limits,
        // so the search goes on and shows its progress.
        winnableDealsOnly = -1;
        deal(919, 7);
        bool closed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!closed && qobject_cast<QProgressDialog*>(w) && w->isVisible()) {
                    closed = true;
                    window->windowHandle()->close();  // the window's close button
                }
            }
        });
        poll.start(20);
        window->action(Command::New)->trigger();
        QVERIFY2(closed, "the progress was shown");
        QCOMPARE(gameNumber, 7u);  // as Cancel leaves it
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(iniText().contains(QStringLiteral("[Window]")));  // shut down as a close does
    }
};

QTEST_MAIN(SolverTest)
#include "solver_test.moc"
