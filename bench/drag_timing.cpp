// korvat-drag-timing [STEPS [WIDTHxHEIGHT]]: how long one step of a drag
// takes (the pointer moves, the carried cards are drawn at their new place
// and shown) while the solver is searching the table in the background and
// while it is not, on a real display (run it under Xvfb: xvfb-run -a -s
// "-screen 0 1920x1200x24" korvat-drag-timing), in the window at its first
// size or at the size given.
// Klondike 10 keeps the solver busy for its whole time limit; Klondike 0 is
// decided in a few milliseconds, so its drags run with no search at all.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui_test_support.h"
#include "timing_report.h"
#include "model/deck.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/pointer.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/solver_service.h"
#include "view/pictures.h"

namespace {

// Picks up the top card of the pile under `start`, moves it `steps` times
// round a circle and lets it go where it was picked up; the time of each move.
void dragRound(korvat::qt::MainWindow& window, QPoint start, int steps, std::vector<double>& ms) {
    QWidget* table = &window.table();
    const auto onScreen = [&](QPoint p) { return window.table().fit().toWidget(p).toPoint(); };
    QTest::mousePress(table, Qt::LeftButton, Qt::NoModifier, onScreen(start));
    QElapsedTimer clock;
    for (int i = 1; i <= steps; ++i) {
        const double a = 6.2831853 * i / 60;
        const QPoint p(start.x() + static_cast<int>(120 * std::sin(a)), start.y() + static_cast<int>(80 * (1 - std::cos(a))));
        clock.start();
        QTest::mouseMove(table, onScreen(p));
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    QTest::mouseRelease(table, Qt::LeftButton, Qt::NoModifier, onScreen(start));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::max(10, std::atoi(argv[1])) : 600;
    QTemporaryDir folder;
    korvat::qt::MainWindow window;
    if (!korvat::test::showFirstWindow(folder, window)) return 1;
    korvat::prefs.Sound = 0;
    int width = 0, height = 0;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) == 2) {
        window.resize(width, height);
        QElapsedTimer wait;
        wait.start();
        // Until the window has its size and the table is composed at it.
        const auto settled = [&] {
            const korvat::qt::TableFit f = window.table().fit();
            return window.size() == QSize(width, height) && !window.table().settling() &&
                   korvat::view::windowSurface.width == f.width && korvat::view::windowSurface.height == f.height;
        };
        while (!settled() && wait.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (!window.table().settling()) window.table().repaint();
        }
        window.table().repaint();
    }
    const korvat::qt::TableFit fit = window.table().fit();
    std::printf("window %dx%d, table shown at %dx%d\n", window.width(), window.height(), fit.width, fit.height);

    const auto deal = [](uint32_t number) {
        korvat::startGame(number);
        QCoreApplication::processEvents();
    };
    // The waste's top card after one press of the stock.
    const auto wasteCard = [] {
        const korvat::Pile& waste = *korvat::pileAt(11);
        return QPoint(waste.x + korvat::table.cardWidth / 2, waste.y + korvat::table.cardHeight / 2);
    };
    const auto pressStock = [&] {
        const korvat::Pile& stock = *korvat::pileAt(12);
        const QPoint p(stock.x + 10, stock.y + 10);
        QWidget* table = &window.table();
        const QPoint at = window.table().fit().toWidget(p).toPoint();
        QTest::mouseClick(table, Qt::LeftButton, Qt::NoModifier, at);
        QCoreApplication::processEvents();
    };

    std::vector<double> idle, searching;
    for (int round = 0; round < 4; ++round) {
        deal(0);
        pressStock();
        korvat::tableSolver::waitForSearch();
        if (korvat::tableSolver::searchesUnderWay() != 0) {
            std::fprintf(stderr, "a search is still under way\n");
            return 1;
        }
        dragRound(window, wasteCard(), steps / 4, idle);

        deal(10);
        pressStock();
        QElapsedTimer wait;
        wait.start();
        while (korvat::tableSolver::searchesUnderWay() == 0 && wait.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (korvat::tableSolver::searchesUnderWay() == 0) {
            std::fprintf(stderr, "no search began\n");
            return 1;
        }
        dragRound(window, wasteCard(), steps / 4, searching);
        if (korvat::tableSolver::verdict() != korvat::TableVerdict::Thinking) {
            std::fprintf(stderr, "the search ended during the drag\n");
            return 1;
        }
    }
    korvat::bench::reportTimes("no search", idle, "steps");
    korvat::bench::reportTimes("search running", searching, "steps");
    return 0;
}
