// korvat-undo-timing [PER_SECOND]: how long the window stays busy
// after the last of a burst of Undo keys, and of Redo keys, pressed at that
// rate (25 a second unless given) while the glides play at their speed on
// the screen. Each key is stamped with the time it is due and delivered as
// soon as the window is free to take it, as the window system queues keys
// that come while the window is busy; and the same keys without time
// stamps, which the window cannot tell waited: each glides in turn, as
// every key did before the window cut the glides of keys that waited.
// La Belle Lucie 3: 36 moves to take back and make again, each with a glide.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "core/moves.h"
#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/current.h"
#include "play/game.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"

namespace {

constexpr int kLine[][3] = {{18, 2, 3},  {9, 2, 0},   {21, 0, 7},  {20, 2, 18}, {19, 2, 4},  {19, 1, 10}, {19, 0, 10},
                            {15, 2, 11}, {14, 2, 4},  {14, 1, 0},  {14, 0, 1},  {9, 1, 16},  {9, 0, 16},  {15, 1, 16},
                            {12, 2, 15}, {12, 1, 7},  {8, 2, 10},  {13, 2, 8},  {13, 1, 8},  {13, 0, 3},  {6, 2, 4},
                            {5, 2, 16},  {5, 1, 3},   {16, 6, 3},  {16, 5, 3},  {16, 4, 3},  {16, 3, 3},  {16, 2, 3},
                            {7, 4, 3},   {7, 3, 3},   {7, 2, 3},   {12, 0, 3},  {5, 0, 3},   {7, 1, 11},  {6, 1, 7},
                            {6, 0, 1}};
constexpr int kMoves = sizeof(kLine) / sizeof(kLine[0]);

// The burst: one key every `period` milliseconds; returns the milliseconds
// from the time the last key was due to the end of its command.
qint64 burst(QWindow* window, Qt::Key key, Qt::KeyboardModifiers mods, int period, bool stamped) {
    static ulong stamps = 1000;
    stamps += 100000;  // well after the keys before
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kMoves; ++i) {
        const qint64 due = static_cast<qint64>(i) * period;
        while (clock.elapsed() < due) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        qt_sendShortcutOverrideEvent(window, stamped ? stamps + static_cast<ulong>(due) : 0, key, mods);
    }
    return clock.elapsed() - static_cast<qint64>(kMoves - 1) * period;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int perSecond = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;
    const int period = 1000 / perSecond;
    QTemporaryDir folder;
    korvat::qt::MainWindow window;
    if (!korvat::test::showFirstWindow(folder, window)) return 1;
    korvat::prefs.Sound = 0;
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return 1;
    korvat::selectGame(845);
    korvat::startGame(3);
    window.platform().minimumFrameMilliseconds = 0;
    for (const auto& m : kLine) korvat::playMove(korvat::core::Move::place(m[0], m[1], m[2]));
    window.platform().minimumFrameMilliseconds = 4;  // as on the screen
    const int undone = korvat::table.undoCount;
    for (int round = 0; round < 6; ++round) {
        const bool stamped = round % 2 == 0;
        const qint64 undo = burst(window.windowHandle(), Qt::Key_Z, Qt::ControlModifier, period, stamped);
        const bool back = korvat::table.undoCount == undone - kMoves;
        const qint64 redo = burst(window.windowHandle(), Qt::Key_Y, Qt::ControlModifier, period, stamped);
        const bool again = korvat::table.undoCount == undone;
        std::printf("%d keys at %d a second, %-13s busy %5lld ms after the last Undo key%s, %5lld ms after the last "
                    "Redo key%s\n",
                    kMoves, perSecond, stamped ? "stamped:" : "not stamped:", static_cast<long long>(undo),
                    back ? "" : " (not all taken back)", static_cast<long long>(redo),
                    again ? "" : " (not all made again)");
    }
    return 0;
}
