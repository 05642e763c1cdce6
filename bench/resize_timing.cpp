// korvat-resize-timing [ROUNDS]: how long the main window takes to show the
// table again when its size changes, on a real display (run it under Xvfb:
// xvfb-run -a -s "-screen 0 1920x1200x24" korvat-resize-timing). The window
// goes back and forth between 1920 x 1080 and 1900 x 1060; each round times
//   resize: from the resize request until the window system has answered
//           and the table has been drawn at the new size and handed to it
//           (while the size settles, the table composed before, scaled);
//   settled: from the resize request until the table has been composed at
//           the new size and shown, which waits for the size to stay still
//           for TableWidget::kSettleMs;
//   repaint: one whole repaint of the table at that size;
//   card:    the repaint of one card's place, as each frame of a glide does.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui_test_support.h"
#include "timing_report.h"
#include "model/platform.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "view/pictures.h"

namespace {

// Counts the table's paints.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 60;
    QTemporaryDir folder;
    korvat::qt::MainWindow window;
    if (!korvat::test::showFirstWindow(folder, window)) return 1;
    QWidget& table = window.table();
    PaintCounter counter;
    table.installEventFilter(&counter);

    const QSize sizes[2] = {QSize(1920, 1080), QSize(1900, 1060)};
    std::vector<double> resize, settled, repaint, card;
    QElapsedTimer clock, sinceRequest;
    for (int i = 0; i < rounds; ++i) {
        const QSize size = sizes[i % 2];
        const int before = counter.paints;
        clock.start();
        sinceRequest.start();
        window.resize(size);
        while ((window.size() != size || counter.paints == before) && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QCoreApplication::processEvents();
        resize.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (window.size() != size) {
            std::fprintf(stderr, "the window did not take the size %dx%d\n", size.width(), size.height());
            return 1;
        }
        const korvat::Surface& shown = korvat::view::windowSurface;
        const auto composed = [&] {
            const korvat::qt::TableFit f = window.table().fit();
            return !window.table().settling() && shown.width == f.width && shown.height == f.height;
        };
        while (!composed() && sinceRequest.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        settled.push_back(static_cast<double>(sinceRequest.nsecsElapsed()) / 1e6);
        clock.start();
        table.repaint();
        repaint.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        clock.start();
        window.showTableRect(300 + i % 7, 200, 64 + 16, 80 + 16);
        card.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    const korvat::qt::TableFit fit = window.table().fit();
    std::printf("window %dx%d, table shown at %dx%d\n", window.width(), window.height(), fit.width, fit.height);
    korvat::bench::reportTimes("resize", resize, "rounds");
    korvat::bench::reportTimes("settled", settled, "rounds");
    korvat::bench::reportTimes("repaint", repaint, "rounds");
    korvat::bench::reportTimes("card", card, "rounds");
    return 0;
}
