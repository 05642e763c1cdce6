// The desktop program driven through its window, offscreen.
#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QMenuBar>
#include <QToolTip>
#include <QGuiApplication>
#include <QImage>
#include <QKeySequence>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/records.h"
#include "model/score.h"
#include "play/card_moves.h"
#include "play/current.h"
#include "play/game.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/qt/help_window.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "view/pictures.h"

using namespace korvat;
using korvat::qt::MainWindow;

struct Shown {
    std::string caption, text;
    unsigned style;
};

// The parts of a widget painted while it watches.
struct PaintSpy final : QObject {
    QRegion painted;
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
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
    // A table point where the table widget shows it, at whatever size.
    QPoint onScreen(QPoint tablePoint) { return window->table().fit().toWidget(tablePoint).toPoint(); }
    // Drags the top card of one pile onto the top card of another.
    void drag(int from, int to) {
        QWidget* t = &window->table();
        QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, onScreen(centreOfTop(from)));
        QTest::mouseMove(t, onScreen(centreOfTop(to)));
        QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, onScreen(centreOfTop(to)));
    }
    // Makes the table widget that size.
    void resizeTable(QSize size) {
        window->resize(window->size() - window->table().size() + size);
        QTRY_COMPARE(window->table().size(), size);
        // Once the size has settled, the table is composed at it.
        const qt::TableFit f = window->table().fit();
        QTRY_COMPARE(QSize(view::windowSurface.width, view::windowSurface.height), QSize(f.width, f.height));
    }
    QString iniText() {
        QFile ini(files.filePath(QStringLiteral("korvat.ini")));
        return ini.open(QIODevice::ReadOnly) ? QString::fromLatin1(ini.readAll()) : QString();
    }
    // A second start of the program, after the first has been shut down,
    // with korvat.ini replaced by `ini` when it is given.
    void restart(const char* ini = nullptr) {
        delete window;
        if (ini) {
            QFile file(files.filePath(QStringLiteral("korvat.ini")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(ini);
        }
        window = new MainWindow();
        window->platform().messageHook = [this](const char* text, const char* caption, unsigned style) {
            shown.push_back({caption, text, style});
            return (style & Mb::ButtonMask) == Mb::Ok ? IdOk : answer;
        };
        QVERIFY(window->start(""));
        window->show();
    }
    void dealNumber(uint32_t n) {
        startGame(n);
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
        QVERIFY(test::startTestWindow(
            *window,
            [this](const char* text, const char* caption, unsigned style) {
                shown.push_back({caption, text, style});
                return (style & Mb::ButtonMask) == Mb::Ok ? IdOk : answer;
            }));
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

    void pointerMapsToTablePixelsAtAnySize() {
        // At 1x the widget and the table are one; at any other size the
        // mapping still lands every table pixel on itself. Points off the
        // picture stay signed.
        const struct {
            QSize widget;
            double ratio;
        } cases[] = {{{640, 480}, 1},  {{960, 720}, 1}, {{1280, 960}, 1},
                     {{1100, 720}, 1}, {{640, 480}, 2}, {{700, 600}, 1.5}};
        for (const auto& c : cases) {
            const qt::TableFit f = qt::TableFit::of(c.widget, c.ratio);
            for (int y = -3; y < 483; ++y)
                for (int x = -3; x < 643; ++x)
                    if (f.toTable(f.toWidget(QPoint(x, y))) != QPoint(x, y))
                        QFAIL(qPrintable(QStringLiteral("%1x%2 at %3: %4,%5")
                                             .arg(c.widget.width())
                                             .arg(c.widget.height())
                                             .arg(c.ratio)
                                             .arg(x)
                                             .arg(y)));
        }
        const qt::TableFit one = qt::TableFit::of({640, 480}, 1);
        QCOMPARE(one.toTable(QPointF(-70000, 99999)), QPoint(-70000, 99999));
        QCOMPARE(one.widgetRect(QRect(10, 20, 30, 40)), QRect(10, 20, 30, 40));
        const qt::TableFit wide = qt::TableFit::of({1100, 720}, 1);  // 1.5x, 70 pixels each side
        QCOMPARE(wide.target(), QRectF(70, 0, 960, 720));
        QCOMPARE(wide.toTable(QPointF(0, 0)), QPoint(-47, 0));
        QCOMPARE(wide.widgetRect(QRect(10, 20, 30, 40)), QRect(85, 30, 46, 61));
    }

    void playsAndShowsTheTableAtAnySize() {
        const Surface& surface = view::windowSurface;
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (const QSize size : {QSize(640, 480), QSize(960, 720), QSize(1280, 960), QSize(1100, 720)}) {
            resizeTable(size);
            dealNumber(0);
            drag(6, 10);  // the nine of diamonds onto the ten of spades
            QCOMPARE(pile(6).count, 2);
            QCOMPARE(pile(10).count, 8);
            drag(4, 5);  // refused
            QCOMPARE(pile(4).count, 1);
            QCOMPARE(table.undoCount, 1);
            // Carried across the table, the card is drawn again where it is
            // shown; then off the window to the left and let go there: back home.
            QWidget* t = &window->table();
            QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, onScreen(centreOfTop(10)));
            PaintSpy spy(t);
            QTest::mouseMove(t, onScreen(QPoint(300, 300)));
            const QRect carried(carriedPile.x, carriedPile.y, table.cardWidth, table.cardHeight);
            QVERIFY(spy.painted.contains(window->table().fit().widgetRect(carried)));
            QTest::mouseMove(t, QPoint(-200, 10));
            QVERIFY(carriedPile.x < 0);
            QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, QPoint(-200, 10));
            QCOMPARE(pile(10).count, 8);

            // The table composed at the size it is shown, and shown pixel for pixel.
            const QImage shot = t->grab().toImage();
            const qt::TableFit f = window->table().fit();
            QCOMPARE(QSize(surface.width, surface.height), QSize(f.width, f.height));
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x)
                    if ((shot.pixel(f.x + x, f.y + y) & 0xFFFFFF) != surface.at(x, y))
                        QFAIL(qPrintable(QStringLiteral("%1x%2: pixel %3,%4").arg(f.width).arg(f.height).arg(x).arg(y)));
            if (f.x > 0) QCOMPARE(QColor(shot.pixel(0, size.height() / 2)), QColor(shot.pixel(0, 0)));
        }
    }

    void windowPlaceIsRemembered() {
        // A first start: the first size, centred; its place is written at
        // shut-down under keys of its own, beside the preferences.
        QCOMPARE(window->table().size(), QSize(640, 480));
        QVERIFY(window->minimumSize().width() >= 640);
        prefs.TableBack = 3;
        restart();
        QString text = iniText();
        QVERIFY2(text.contains(QStringLiteral("[Window]\nLeft=")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Width=640\nHeight=480\nMaximized=0\n")));
        QVERIFY(text.contains(QStringLiteral("TableBack=3\n")));
        // As the player left it.
        restart("[Prefs]\nTableBack=5\n[Window]\nLeft=30\nTop=40\nWidth=700\nHeight=500\nFuture=1\n");
        QCOMPARE(window->table().size(), QSize(700, 500));
        QCOMPARE(window->pos(), QPoint(30, 40));
        QCOMPARE(prefs.TableBack, 5);
        // Sizes below the whole table and places off every screen are not kept.
        restart("[Window]\nLeft=-90000\nTop=40\nWidth=20\nHeight=4294967295\n");
        QCOMPARE(window->table().size(), QSize(640, 480));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(window->pos().x(), screen.x() + (screen.width() - window->width()) / 2);
        restart();
        text = iniText();
        QVERIFY2(text.contains(QStringLiteral("Width=640\nHeight=480\n")), qPrintable(text));
        // Values at the ends of the range are checked before any sum is made
        // of them: the default place, and the real one written at the end.
        const QPoint centred(screen.x() + (screen.width() - window->width()) / 2,
                             screen.y() + (screen.height() - window->height()) / 2);
        for (const char* extreme : {"[Window]\nLeft=2147483647\nTop=2147483647\nWidth=2147483647\nHeight=2147483647\n",
                                    "[Window]\nLeft=-2147483648\nTop=-2147483648\nWidth=-2147483648\nHeight=0\n",
                                    "[Window]\nLeft=1048577\nTop=0\nWidth=65536\nHeight=4294967295\n"}) {
            restart(extreme);
            QCOMPARE(window->table().size(), QSize(640, 480));
            QCOMPARE(window->pos(), centred);
            restart();
            text = iniText();
            QVERIFY2(text.contains(QStringLiteral("[Window]\nLeft=%1\nTop=%2\nWidth=640\nHeight=480\n")
                                       .arg(centred.x())
                                       .arg(centred.y())),
                     qPrintable(text));
        }
        // A place partly off the screen (a run at another scale left it):
        // the window opens wholly on the screen, as near as it can.
        restart("[Window]\nLeft=480\nTop=341\nWidth=640\nHeight=480\n");
        const QRect frame = window->frameGeometry();
        QVERIFY2(screen.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                        .arg(frame.x())
                                                        .arg(frame.y())
                                                        .arg(frame.width())
                                                        .arg(frame.height())
                                                        .arg(screen.width())
                                                        .arg(screen.height())));
        QCOMPARE(window->frameGeometry().bottomRight(), screen.bottomRight());
        restart("[Window]\nLeft=-100\nTop=-5\nWidth=640\nHeight=480\n");
        QCOMPARE(window->pos(), screen.topLeft());
    }

    void keysOfTheMenus() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->action(Command::New)->shortcut().toString(), QStringLiteral("Ctrl+N"));
        QCOMPARE(window->action(Command::Rules)->shortcut().toString(), QStringLiteral("F1"));
        // The commands on the menu bar itself name their keys in a tool tip.
        QMenuBar* bar = window->menuBar();
        const QPoint undo = bar->actionGeometry(window->action(Command::Undo)).center();
        QHelpEvent hover(QEvent::ToolTip, undo, bar->mapToGlobal(undo));
        QApplication::sendEvent(bar, &hover);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Undo (Ctrl+Z)"));
        QWidget* t = &window->table();
        prefs.Prompt = -1;
        answer = IdNo;
        auto asked = [this](const char* key, const char* text) {
            shown.clear();
            QTest::keyClick(window->windowHandle(), QKeySequence(QString::fromLatin1(key))[0].key(),
                            QKeySequence(QString::fromLatin1(key))[0].keyboardModifiers());
            QVERIFY2(!shown.empty() && shown.back().text == text, key);
        };
        asked("Ctrl+N", "Start new game?");
        asked("F2", "Start new game?");
        asked("Ctrl+O", "Open new game?");
        asked("Ctrl+R", "Restart this game?");
        asked("Ctrl+Q", "Are you sure you want to quit?");
        asked("Ctrl+S", "Game has not been started.");
        prefs.Prompt = 0;
        dealNumber(5);
        QTest::keyClick(t, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(gameNumber, 0u);  // the clock reads 0
        dealNumber(0);
        drag(6, 10);
        QTest::keyClick(t, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(table.undoCount, 0);
        QCOMPARE(pile(6).count, 3);
        QTest::keyClick(t, Qt::Key_F1);
        QCOMPARE(korvat::qt::HelpWindow::instance()->shownPage(), QStringLiteral("onedeck.hlp#827"));
        // Nothing while cards are carried.
        dealNumber(7);
        QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, onScreen(centreOfTop(6)));
        QVERIFY(carrying());
        QTest::keyClick(t, Qt::Key_N, Qt::ControlModifier);
        QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, onScreen(centreOfTop(6)));
        QCOMPARE(gameNumber, 7u);
    }

    // Undo keys pressed while the Undo before them still glides (their time
    // stamps say so) take their moves back without glides, so that the table
    // catches up with the keys; an Undo or a Redo on its own glides as before.
    void burstOfUndoKeysCatchesUp() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        selectGame(845);  // La Belle Lucie 3: each of these moves glides
        dealNumber(3);
        const int line[][3] = {{18, 2, 3},  {9, 2, 0},  {21, 0, 7}, {20, 2, 18}, {19, 2, 4}, {19, 1, 10},
                               {19, 0, 10}, {15, 2, 11}, {14, 2, 4}, {14, 1, 0},  {14, 0, 1}};
        std::vector<core::Table> before;
        for (const auto& m : line) {
            before.push_back(currentTable());
            playMove(core::Move::place(m[0], m[1], m[2]));
        }
        qt::QtPlatform& platform = window->platform();
        platform.minimumFrameMilliseconds = 1;  // a glide outlasts the keys' milliseconds
        int frames = platform.framesShown;
        auto keys = [&](Qt::Key key, ulong stamp, int count) {
            for (int i = 0; i < count; ++i)
                if (!qt_sendShortcutOverrideEvent(window->windowHandle(), stamp + static_cast<ulong>(i), key,
                                                  Qt::ControlModifier))
                    return -1;  // the key gave no command
            const int shown = platform.framesShown - frames;
            frames = platform.framesShown;
            return shown;
        };
        QCOMPARE(keys(Qt::Key_Z, 1000, 1), glideFrames());
        QCOMPARE(keys(Qt::Key_Z, 1001, 8), 0);  // pressed while the first glided
        QVERIFY(currentTable() == before[2]);
        QCOMPARE(keys(Qt::Key_Y, 100000, 1), glideFrames());  // long after
        QCOMPARE(keys(Qt::Key_Y, 100001, 3), 0);
        QVERIFY(currentTable() == before[6]);
        QCOMPARE(keys(Qt::Key_Z, 200000, 1), glideFrames());
        QVERIFY(currentTable() == before[5]);
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
