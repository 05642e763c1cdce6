// Keyboard play, Redo and the double click, through the main window offscreen.
#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "core/legality.h"
#include "core/moves.h"
#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/current.h"
#include "play/game.h"
#include "play/keyboard.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "solve/solver.h"
#include "view/pictures.h"
#include "view/surface.h"

using namespace korvat;
using korvat::qt::MainWindow;

class KeyboardPlayTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<std::string> captions;
    QTemporaryDir files;

    QWidget* tableWidget() { return &window->table(); }
    // A key as the window system delivers it: to the window, then to the table.
    void key(Qt::Key k) { QTest::keyClick(window->windowHandle(), k); }
    // A key as the window gets it, so that the menus' shortcuts see it.
    void windowKey(const char* keys) {
        const QKeyCombination k = QKeySequence(QString::fromLatin1(keys))[0];
        QTest::keyClick(window->windowHandle(), k.key(), k.keyboardModifiers());
    }
    void dealNumber(uint32_t n) {
        startGame(n);
    }
    // The group a press at the frame would take.
    int framedGroup() {
        int groups[core::kMaxCards];
        Pile& p = *pileAt(focusPile());
        if (p.count == 0) return -1;
        pickCardsFor(p, groups);
        return groups[focusCard()];
    }
    // The frame onto pile p: Right goes through every pile in reading order.
    bool frameTo(int p) {
        for (int i = 0; i < 2 * currentGame->pileCount && focusPile() != p; ++i) key(Qt::Key_Right);
        return focusPile() == p;
    }
    // The group whose lowest card is k chosen with the arrows along the pile's fan.
    bool choose(int k) {
        const Pile& p = *pileAt(focusPile());
        const bool down = p.fan == Fan::Down;
        for (int i = 0; i <= p.count && framedGroup() != k; ++i)
            key(framedGroup() > k ? (down ? Qt::Key_Up : Qt::Key_Left) : (down ? Qt::Key_Down : Qt::Key_Right));
        return framedGroup() == k && focusPile() == pileIndex(p);
    }
    QPoint inWindow(QPoint tablePoint) {
        return tableWidget()->mapTo(window, window->table().fit().toWidget(tablePoint).toPoint());
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        resetKeyboardPlay();
        captions.clear();
        window = new MainWindow();
        QVERIFY(test::startTestWindow(
            *window,
            [this](const char*, const char* caption, unsigned) {
                captions.push_back(caption);
                return IdOk;
            }));
        prefs.Move = 0;
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        tableWidget()->setFocus();
    }

    void cleanup() {
        delete window;
        window = nullptr;
    }

    // Every move of a winning line, each one of the core's legal moves, made
    // by keys alone: the same table and the same undo entries as the move.
    void keysPlayAWholeKlondike() {
        dealNumber(1);
        const solve::Result line = solve::solve(currentRules(), currentTable(), solve::Limits{});
        QCOMPARE(line.verdict, solve::Verdict::Winnable);
        int keysBefore = 0;
        for (const core::Move& m : line.line) {
            const core::GameRules rules = currentRules();
            const core::Table before = currentTable();
            core::MoveList legal;
            core::legalMoves(rules, before, legal);
            QVERIFY(std::find(legal.begin(), legal.end(), m) != legal.end());
            core::Table expected = before;
            core::ChangeRecord record;
            core::apply(rules, expected, m, &record);
            int entries = 0;
            for (const core::Change& c : record) entries += c.recorded() ? 1 : 0;
            const int count = table.undoCount;

            QVERIFY(frameTo(m.from));
            if (m.kind == core::Move::Place) {
                QVERIFY(choose(m.card));
                key(Qt::Key_Space);
                QVERIFY(carryingByKeys());
                QVERIFY(frameTo(m.to));
                QCOMPARE(dropTarget, pileAt(m.to));
                key(Qt::Key_Return);
            } else {
                QVERIFY(m.kind == core::Move::Deal || m.kind == core::Move::Turn || m.kind == core::Move::Redeal);
                key(Qt::Key_Space);
            }
            QVERIFY(!carrying());
            QVERIFY(currentTable() == expected);
            QCOMPARE(table.undoCount, count + entries);
            ++keysBefore;
        }
        QVERIFY(core::isWon(currentRules(), currentTable()));
        QCOMPARE(keysBefore, static_cast<int>(line.line.size()));
        QVERIFY(captions.empty());
    }

    void theFrameComesWithTheKeysAndGoesWithTheMouse() {
        dealNumber(0);
        int x, y, w, h;
        QVERIFY(!focusFrame(x, y, w, h));
        const PixelBuffer before = view::windowSurface.pixels;
        key(Qt::Key_Down);  // the first key only shows the frame
        QCOMPARE(focusPile(), 0);
        QVERIFY(focusFrame(x, y, w, h));
        // The edit marker's ground inside its edge, around the pile.
        const uint32_t ground = view::backPicture.at(449, 129), edge = view::backPicture.at(448, 128);
        QVERIFY(ground != edge);
        for (const QPoint& at : {QPoint(x - 1, y - 1), QPoint(x - 2, y + h), QPoint(x + w + 1, y + h + 1)})
            QCOMPARE(view::windowSurface.at(at.x(), at.y()), ground);
        QCOMPARE(view::windowSurface.at(x - 3, y - 3), edge);
        QCOMPARE(view::windowSurface.at(x + w + 2, y + 5), edge);
        key(Qt::Key_Down);
        QCOMPARE(focusPile(), 5);  // the nearest column of the row below (the first of two as near)
        // A press of the mouse takes the frame away: the table is as it was.
        QTest::mouseClick(tableWidget(), Qt::LeftButton, Qt::NoModifier, window->table().fit().toWidget({600, 470}).toPoint());
        QVERIFY(!focusFrame(x, y, w, h));
        QVERIFY(view::windowSurface.pixels == before);

        // Escape puts carried cards back; so does the mouse.
        const core::Table dealt = currentTable();
        key(Qt::Key_Right);
        QVERIFY(frameTo(6));
        key(Qt::Key_Space);
        QVERIFY(carryingByKeys());
        window->action(Command::New)->trigger();  // no command while cards are carried
        QCOMPARE(gameNumber, 0u);
        key(Qt::Key_Right);
        QCOMPARE(focusPile(), 7);
        key(Qt::Key_Escape);
        QVERIFY(!carrying());
        QCOMPARE(focusPile(), 6);
        QVERIFY(currentTable() == dealt);
        QCOMPARE(table.undoCount, 0);
        key(Qt::Key_Space);
        QVERIFY(carryingByKeys());
        QTest::mousePress(tableWidget(), Qt::LeftButton, Qt::NoModifier, window->table().fit().toWidget({600, 470}).toPoint());
        QTest::mouseRelease(tableWidget(), Qt::LeftButton, Qt::NoModifier, window->table().fit().toWidget({600, 470}).toPoint());
        QVERIFY(!carrying());
        QVERIFY(currentTable() == dealt);

        // Edit mode keeps its keys: the arrows move the edited pile.
        window->command(Command::EditMode);
        const int column = pileAt(0)->column;
        key(Qt::Key_Right);
        QCOMPARE(pileAt(0)->column, column + 1);
        QVERIFY(!focusFrame(x, y, w, h));
        window->command(Command::EditMode);
    }

    void redoWithItsKeysAndItsMenuItem() {
        // After every item that was there before, on the menu bar.
        QAction* redo = window->action(Command::Redo);
        QVERIFY(redo);
        QCOMPARE(redo->text(), QStringLiteral("Re&do"));
        const QList<QAction*> bar = window->menuBar()->actions();
        QVERIFY(bar.indexOf(redo) > bar.indexOf(window->action(Command::Rules)));
        QCOMPARE(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                                         QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
        dealNumber(0);
        const core::Table dealt = currentTable();
        QVERIFY(frameTo(6));
        key(Qt::Key_Space);
        QVERIFY(frameTo(10));
        key(Qt::Key_Space);  // the nine of diamonds onto the ten of spades
        const core::Table moved = currentTable();
        QCOMPARE(table.undoCount, 1);
        windowKey("Ctrl+Z");
        QVERIFY(currentTable() == dealt);
        windowKey("Ctrl+Y");
        QVERIFY(currentTable() == moved);
        windowKey("Ctrl+Z");
        windowKey("Ctrl+Shift+Z");
        QVERIFY(currentTable() == moved);
        QVERIFY(captions.empty());
        // A new move leaves nothing to redo.
        windowKey("Ctrl+Z");
        QVERIFY(frameTo(12));
        key(Qt::Key_Space);  // a deal from the stock: the card turned and moved
        QCOMPARE(table.undoCount, 2);
        windowKey("Ctrl+Y");
        QCOMPARE(captions, std::vector<std::string>{"CANNOT REDO"});
    }

    void doubleClickSendsACardHome() {
        // The first deal with an ace face up on the tableau.
        int ace = -1;
        for (uint32_t n = 0; ace < 0 && n < 200; ++n) {
            dealNumber(n);
            for (int p = 4; p <= 10 && ace < 0; ++p)
                if (pileAt(p)->top && pileAt(p)->top->value / 4 == 0) ace = p;
        }
        QVERIFY(ace >= 0);
        Pile& from = *pileAt(ace);
        const int count = from.count;
        const QPoint on = inWindow({from.top->x + 20, from.top->y + 40});
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, on);
        QVERIFY(!carrying());
        QCOMPARE(from.count, count - 1);
        // Home: the first foundation that takes it.
        int home = 0;
        while (home < 4 && pileAt(home)->count == 0) ++home;
        QVERIFY(home < 4);
        for (int f = 0; f < home; ++f)
            QVERIFY(!core::canPlace(currentRules(), currentTable(), ace, f, pileAt(home)->top->value, 1));
        window->command(Command::Undo);
        QCOMPARE(table.undoCount, 0);
        QCOMPARE(pileAt(home)->count, 0);
        // On the stock two quick presses stay two presses.
        Pile& stock = *pileAt(12);
        const int cards = stock.count;
        const QPoint onStock = inWindow({stock.top->x + 20, stock.top->y + 40});
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, onStock);
        QCOMPARE(stock.count, cards - 2);
        QVERIFY(!carrying());
    }
};

QTEST_MAIN(KeyboardPlayTest)
#include "keyboard_play_test.moc"
