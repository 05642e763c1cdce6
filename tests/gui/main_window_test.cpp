// The desktop program driven through its window, offscreen.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deal.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "play/game.h"
#include "play/moves.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/qt/help_window.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"

using namespace korvat;
using korvat::qt::MainWindow;

struct Shown {
    std::string caption, text;
    unsigned style;
};

class MainWindowTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<Shown> shown;
    int answer = IdYes;

    Pile& pile(int i) { return *pileAt(i); }
    QPoint centreOfTop(int i) {
        Pile& p = pile(i);
        Card* c = p.top;
        return c ? QPoint(c->x + table.cardWidth / 2, c->y + table.cardHeight / 2)
                 : QPoint(p.x + table.cardWidth / 2, p.y + table.cardHeight / 2);
    }
    // Drags the top card of one pile onto the top card of another.
    void drag(int from, int to) {
        QWidget* t = &window->table();
        QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, centreOfTop(from));
        QTest::mouseMove(t, centreOfTop(to));
        QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, centreOfTop(to));
    }
    void dealNumber(uint32_t n) {
        gameNumber = n;
        dealRandom.state = n;
        startGame();
    }

    // The settings file and LOG.DAT of these runs, away from the player's own.
    QTemporaryDir files;

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        shown.clear();
        answer = IdYes;
        window = new MainWindow();
        window->platform().messageHook = [this](const char* text, const char* caption, unsigned style) {
            shown.push_back({caption, text, style});
            return (style & Mb::ButtonMask) == Mb::Ok ? IdOk : answer;
        };
        window->platform().minimumFrameMilliseconds = 0;
        window->platform().fixedClock = 0;
        QVERIFY(window->start(""));
        prefs.Sound = 0;
        window->show();
    }

    void cleanup() {
        delete window;
        window = nullptr;
    }

    void firstStartDealsKlondike() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Klondike    Not started"));
        QCOMPARE(currentGame->commandId, 827);
        QCOMPARE(window->table().size(), QSize(640, 480));
        QCOMPARE(gameNumber, 0u);  // the clock reads 0
    }

    void draggingCards() {
        dealNumber(0);
        drag(6, 10);  // the nine of diamonds onto the ten of spades
        QCOMPARE(pile(6).count, 2);
        QCOMPARE(pile(10).count, 8);
        QCOMPARE(table.undoCount, 1);
        QCOMPARE(table.logIndex, 0);
        QCOMPARE(window->windowTitle(), QStringLiteral("Klondike    Score 0.  Money $-52.  Never completed."));
        drag(4, 5);  // the six of clubs onto the three of hearts: refused
        QCOMPARE(pile(4).count, 1);
        QCOMPARE(pile(5).count, 2);
        QCOMPARE(table.undoCount, 1);
        QVERIFY(!carrying());
    }

    void nothingHappensWhileCarrying() {
        dealNumber(0);
        QWidget* t = &window->table();
        QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, centreOfTop(6));
        QVERIFY(carrying());
        window->action(Command::New)->trigger();
        QTest::keyClick(t, Qt::Key_PageUp);
        QCOMPARE(gameNumber, 0u);
        QVERIFY(carrying());
        QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, centreOfTop(6));
        QVERIFY(!carrying());
        QCOMPARE(pile(6).count, 3);
    }

    void undoSwitchedOff() {
        prefs.AllowUndo = 0;
        window->action(Command::Undo)->trigger();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].caption, std::string("WAIT!"));
        QCOMPARE(shown[0].text, std::string("This feature has been disabled.  Go to preferences to enable this feature."));
    }

    void newAndPageDown() {
        window->action(Command::New)->trigger();
        QCOMPARE(gameNumber, 0u);
        QTest::keyClick(&window->table(), Qt::Key_PageDown);
        QCOMPARE(gameNumber, 4294967295u);
        QTest::keyClick(&window->table(), Qt::Key_PageUp);
        QCOMPARE(gameNumber, 0u);
    }

    void confirmationsWhilePromptIsOn() {
        prefs.Prompt = -1;
        answer = IdNo;
        dealNumber(5);
        window->action(Command::New)->trigger();
        QCOMPARE(shown.back().caption, std::string("ARE YOU SURE?"));
        QCOMPARE(shown.back().text, std::string("Start new game?"));
        QCOMPARE(gameNumber, 5u);
        window->action(Command::Restart)->trigger();
        QCOMPARE(shown.back().text, std::string("Restart this game?"));
        window->action(Command::Exit)->trigger();
        QCOMPARE(shown.back().text, std::string("Are you sure you want to quit?"));
        QVERIFY(window->isVisible());
    }

    void rightButtonAutoplays() {
        dealNumber(0);
        prefs.Right = 1;
        QTest::mouseClick(&window->table(), Qt::RightButton, Qt::NoModifier, centreOfTop(9));  // the ace of clubs
        QCOMPARE(pile(3).count, 1);
        QCOMPARE(pile(9).count, 5);
    }

    void rightButtonExplains() {
        dealNumber(0);
        QTest::mouseClick(&window->table(), Qt::RightButton, Qt::NoModifier, QPoint(630, 470));
        QCOMPARE(shown.back().caption, std::string("SPECIAL INFO ON THIS GAME"));
        QCOMPARE(shown.back().text, std::string("There are two redeals allowed.\n"));
        QTest::mouseClick(&window->table(), Qt::RightButton, Qt::NoModifier, centreOfTop(12));
        QCOMPARE(shown.back().caption, std::string("THIS IS A STOCK"));
        QCOMPARE(shown.back().text, std::string("This pile can be redealt 2 time(s).\n"
                                                "This pile deals a card to waste piles, reserves or tableaus.\n"
                                                "\nThis pile contains 24 card(s)."));
    }

    void gamesMenuShowAllCardsAndHelp() {
        window->action(901)->trigger();
        QCOMPARE(currentGame->commandId, 901);
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Spider    ")));
        QCOMPARE(window->action(901)->text(), QStringLiteral("&Spider"));
        QCOMPARE(window->action(833)->text(), QStringLiteral("&Aces Up"));
        window->action(Command::ShowAllCards)->trigger();
        QCOMPARE(shown.back().caption, std::string("WAIT!"));
        QVERIFY(!window->action(Command::ShowAllCards)->isChecked());
        prefs.AllowCheat = -1;
        window->action(Command::ShowAllCards)->trigger();
        QVERIFY(window->action(Command::ShowAllCards)->isChecked());
        QCOMPARE(table.showAllCards, 1);
        window->action(Command::Rules)->trigger();
        QVERIFY(korvat::qt::HelpWindow::instance());
        QCOMPARE(korvat::qt::HelpWindow::instance()->shownPage(), QStringLiteral("twodeck.hlp#901"));
        window->action(Command::About)->trigger();
        QCOMPARE(shown.back().text, std::string("Korvat\nVersion 2.1"));
    }

    void timerRecognisesTheWin() {
        dealNumber(0);
        // Every card onto the foundations but one, then let the timer see it.
        drag(6, 10);
        for (int i = 0; i < 52; ++i) {
            Card& c = deck[static_cast<size_t>(i)];
            c.faceDown = 0;
        }
        QCOMPARE(table.won, 0);
        // Move everything to foundation 0 directly: the timer only counts cards.
        for (Pile* p = currentGame->layout; p; p = p->next) {
            if (p == &pile(0)) continue;
            while (p->top) {
                Card& c = *p->top;
                unlinkCard(*p, c);
                insertCardAbove(pile(0), pile(0).top, c);
            }
        }
        layoutAllPiles();
        QTRY_COMPARE_WITH_TIMEOUT(table.won, 1, 2000);
        QCOMPARE(gameLog[0].status, LogStatus::Completed);
        QCOMPARE(window->windowTitle(), QStringLiteral("Klondike    Completed before."));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
