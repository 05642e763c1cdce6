// korvat-statistics-timing [ROUNDS]: how long Options, Statistics takes to
// open with a history of 100,000 finished deals: from the command until the
// dialog has read the history, counted its figures and been drawn once.
// Run it offscreen or under Xvfb; it prints the median, 90th and 99th
// percentile and the worst.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui_test_support.h"
#include "sample_history.h"
#include "timing_report.h"
#include "model/catalogue.h"
#include "shell/qt/main_window.h"
#include "shell/qt/statistics_dialog.h"
#include "store/history.h"

namespace {

constexpr int kRows = 100'000;

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    QTemporaryDir folder;
    korvat::qt::MainWindow window;
    if (!korvat::test::showFirstWindow(folder, window)) return 1;
    if (!korvat::bench::writeSampleHistory(folder.filePath(QStringLiteral("history.sqlite")).toStdString(), kRows)) {
        std::fprintf(stderr, "the history could not be made\n");
        return 1;
    }
    std::vector<double> ms;
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        korvat::qt::StatisticsDialog dialog(&window);
        dialog.show();
        dialog.repaint();
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (dialog.figure("Played", 1) != QStringLiteral("100000")) {
            std::fprintf(stderr, "the dialog counted %s deals\n", qPrintable(dialog.figure("Played", 1)));
            return 1;
        }
    }
    char what[48];
    std::snprintf(what, sizeof what, "Statistics, %d deals", kRows);
    korvat::bench::reportTimes(what, ms, "rounds");
    return 0;
}
