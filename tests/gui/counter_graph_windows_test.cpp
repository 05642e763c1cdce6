// The card counter and graph windows of the desktop program, offscreen.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/preferences_dialog.h"
#include "shell/qt/counter_window.h"
#include "shell/qt/graph_window.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "view/counter.h"
#include "view/graph.h"
#include "view/table_drawing.h"

using namespace korvat;
using korvat::qt::CounterWindow;
using korvat::qt::GraphWindow;
using korvat::qt::MainWindow;

namespace {

struct Shown {
    std::string caption, text;
    unsigned style;
};

bool sameSurface(const Surface& a, const Surface& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

Surface freshCounter() {
    Surface s;
    s.allocate(view::kCounterWidth, view::kCounterHeight);
    view::drawCounter(s);
    return s;
}

}  // namespace

class CounterGraphWindowsTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<Shown> shown;
    // The settings file and LOG.DAT of these runs, away from the player's own.
    QTemporaryDir scratch;

    void dealNumber(uint32_t n) {
        startGame(n);
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(scratch)); }

    void init() {
        test::startAsFirstRun(scratch);
        view::countStock = 0;
        shown.clear();
        window = new MainWindow();
        QVERIFY(test::startTestWindow(
            *window,
            [this](const char* text, const char* caption, unsigned style) {
                shown.push_back({caption, text, style});
                return IdOk;
            }));
        selectGame(827);  // Klondike: the stock is pile 12
        resetLog();       // whatever the last test's shut-down wrote to LOG.DAT
        dealNumber(0);
    }

    void cleanup() {
        delete window;
        window = nullptr;
        // The windows went with their owner.
        QVERIFY(!CounterWindow::instance());
        QVERIFY(!GraphWindow::instance());
        QCOMPARE(table.counterOpen, 0);
        QCOMPARE(table.graphOpen, 0);
    }

    void counterOpensOnceWithItsMenu() {
        window->action(Command::CardCounter)->trigger();
        CounterWindow* counter = CounterWindow::instance();
        QVERIFY(counter);
        QVERIFY(shown.empty());
        QCOMPARE(table.counterOpen, 1);
        QCOMPARE(counter->windowTitle(), QStringLiteral("Korvat"));
        QCOMPARE(counter->parentWidget(), static_cast<QWidget*>(window));
        QVERIFY(counter->isWindow());
        QVERIFY(counter->isVisible());
        QCOMPARE(counter->view().size(), QSize(182, 64));
        QVERIFY(counter->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(counter->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(counter->minimumSize(), counter->maximumSize());  // not resizable

        auto* bar = counter->findChild<QMenuBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->actions().size(), 1);
        QCOMPARE(bar->actions()[0]->text(), QStringLiteral("&File"));
        QMenu* file = bar->actions()[0]->menu();
        QCOMPARE(file->actions().size(), 1);
        QCOMPARE(file->actions()[0], counter->countStockAction());
        QCOMPARE(counter->countStockAction()->text(), QStringLiteral("&Count stock"));
        QVERIFY(counter->countStockAction()->isCheckable());
        QVERIFY(!counter->countStockAction()->isChecked());

        // Choosing it again does nothing.
        window->action(Command::CardCounter)->trigger();
        QCOMPARE(CounterWindow::instance(), counter);
        QCOMPARE(window->findChildren<CounterWindow*>().size(), qsizetype(1));
    }

    void counterFollowsTheTableAndCountStock() {
        window->action(Command::CardCounter)->trigger();
        CounterWindow* counter = CounterWindow::instance();
        QVERIFY(counter);
        QVERIFY(sameSurface(counter->view().surface(), freshCounter()));
        const Surface tableauShown = counter->view().surface();

        counter->countStockAction()->trigger();
        QCOMPARE(view::countStock, 1);
        QVERIFY(counter->countStockAction()->isChecked());
        QVERIFY(sameSurface(counter->view().surface(), freshCounter()));
        QVERIFY(!sameSurface(counter->view().surface(), tableauShown));

        // Turning a stock card: the repaint of the table refreshes the counter.
        const Surface before = counter->view().surface();
        Pile& stock = *pileAt(12);
        QTest::mouseClick(&window->table(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(stock.x + table.cardWidth / 2, stock.y + table.cardHeight / 2));
        QCOMPARE(stock.count, 23);
        repaintTable();
        QVERIFY(!sameSurface(counter->view().surface(), before));
        QVERIFY(sameSurface(counter->view().surface(), freshCounter()));

        counter->countStockAction()->trigger();
        QCOMPARE(view::countStock, 0);
        QVERIFY(!counter->countStockAction()->isChecked());
        QVERIFY(sameSurface(counter->view().surface(), tableauShown));
    }

    void closingAndReopeningTheCounterKeepsCountStock() {
        window->action(Command::CardCounter)->trigger();
        CounterWindow::instance()->countStockAction()->trigger();
        CounterWindow::instance()->close();
        QCOMPARE(table.counterOpen, 0);
        QVERIFY(!CounterWindow::instance());
        repaintTable();  // with the counter closed, nothing refreshes it

        window->action(Command::CardCounter)->trigger();
        QVERIFY(CounterWindow::instance());
        QVERIFY(CounterWindow::instance()->countStockAction()->isChecked());
        QCOMPARE(view::countStock, 1);

        CounterWindow::closeWindow();
        QVERIFY(!CounterWindow::instance());
        QCOMPARE(table.counterOpen, 0);
        CounterWindow::closeWindow();  // nothing open: nothing happens
    }

    void switchingTheCounterOffInThePreferencesClosesIt() {
        window->action(Command::CardCounter)->trigger();
        QVERIFY(CounterWindow::instance());
        preferencesDialogCommand(PreferencesId::AllowCounter);
        QCOMPARE(prefs.AllowCounter, 0);
        QVERIFY(!CounterWindow::instance());
        QCOMPARE(table.counterOpen, 0);
        repaintTable();
        preferencesDialogCommand(PreferencesId::AllowCounter);  // on again: nothing opens
        QVERIFY(!CounterWindow::instance());
    }

    void counterSwitchedOff() {
        prefs.AllowCounter = 0;
        window->action(Command::CardCounter)->trigger();
        QVERIFY(!CounterWindow::instance());
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].caption, std::string("WAIT!"));
        QCOMPARE(shown[0].text, std::string("This feature has been disabled.  Go to preferences to enable this feature."));
    }

    void graphNeedsData() {
        window->action(Command::Graph)->trigger();
        QVERIFY(!GraphWindow::instance());
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].caption, std::string("CANNOT MAKE GRAPH."));
        QCOMPARE(shown[0].text, std::string("Not enough data for graph."));
        QCOMPARE(shown[0].style & Mb::IconMask, Mb::IconStop);
    }

    void graphOpensOnceAndDrawsTheLog() {
        gameLog[0] = {0, table.gameIndex, LogStatus::Completed, {}};
        gameLog[1] = {1, table.gameIndex, LogStatus::Started, {}};
        window->action(Command::Graph)->trigger();
        GraphWindow* graph = GraphWindow::instance();
        QVERIFY(graph);
        QVERIFY(shown.empty());
        QCOMPARE(table.graphOpen, 1);
        QCOMPARE(table.logMatchCount, 2);
        QCOMPARE(graph->windowTitle(), QStringLiteral("Korvat"));
        QCOMPARE(graph->parentWidget(), static_cast<QWidget*>(window));
        QCOMPARE(graph->size(), QSize(474, 235));
        QCOMPARE(graph->minimumSize(), graph->maximumSize());
        QVERIFY(graph->windowFlags() & Qt::WindowMinimizeButtonHint);

        // The bars: 100 % and 50 %.
        const Surface& s = graph->surface();
        QCOMPARE(s.width, 474);
        QCOMPARE(s.at(50, 25), view::kGraphBarColour);
        QCOMPARE(s.at(50, 24), view::kGraphGround);
        QCOMPARE(s.at(58, 125), view::kGraphBarColour);
        QCOMPARE(s.at(58, 124), view::kGraphGround);
        QCOMPARE(s.at(61, 124), view::kGraphGridColour);

        window->action(Command::Graph)->trigger();
        QCOMPARE(GraphWindow::instance(), graph);
        QCOMPARE(window->findChildren<GraphWindow*>().size(), qsizetype(1));

        graph->close();
        QCOMPARE(table.graphOpen, 0);
        QVERIFY(!GraphWindow::instance());
        window->action(Command::Graph)->trigger();
        QVERIFY(GraphWindow::instance());
    }
};

QTEST_MAIN(CounterGraphWindowsTest)
#include "counter_graph_windows_test.moc"
