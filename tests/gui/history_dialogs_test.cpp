// The statistics dialog and the game chooser, opened from the menu on a
// history made by playing in the window, offscreen.
//
// With KORVAT_DIALOG_PICTURES set to a folder, each is also saved there as
// a PNG picture.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/records.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "shell/history_recorder.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "shell/qt/game_chooser.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/results_chart.h"
#include "shell/qt/statistics_dialog.h"

using namespace korvat;
using korvat::qt::MainWindow;

namespace {

void savePicture(QWidget* w, const char* name) {
    const QByteArray folder = qgetenv("KORVAT_DIALOG_PICTURES");
    if (!folder.isEmpty()) w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

}  // namespace

class HistoryDialogsTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<std::string> captions;
    int answer = IdYes;
    QTemporaryDir files;

    // A deal of the game with one move made; the next deal leaves it.
    void playDeal(int game, uint32_t number) {
        selectGame(game);
        startGame(number);
        recordMove(*pileAt(1), *pileAt(0), 0);
    }
    template <class Dialog>
    void withDialog(int commandId, const std::function<void(Dialog&)>& drive) {
        bool reached = false;
        QTimer::singleShot(0, this, [&] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!d) return;
            reached = true;
            drive(*d);
            if (d->isVisible()) d->done(QDialog::Rejected);
        });
        window->action(commandId)->trigger();
        QVERIFY2(reached, "the dialog did not open");
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        captions.clear();
        answer = IdYes;
        window = new MainWindow();
        QVERIFY(test::startTestWindow(*window, [this](const char*, const char* caption, unsigned) {
            captions.push_back(caption);
            return answer;
        }));
        // Three deals of Spider, then two of Klondike, the last one still
        // being played; all on the disk by the next tick.
        for (uint32_t n = 1; n <= 3; ++n) playDeal(901, n);
        for (uint32_t n = 4; n <= 5; ++n) playDeal(827, n);
        historyRecorder::tick();
        QCOMPARE(historyRecorder::pending(), 0);
    }

    void cleanup() {
        delete window;
        window = nullptr;
    }

    void menuItems() {
        QCOMPARE(window->action(Command::Statistics)->text(), QStringLiteral("S&tatistics..."));
        QCOMPARE(window->action(Command::ChooseGame)->text(), QStringLiteral("Choose &Game..."));
        QCOMPARE(window->action(Command::ChooseGame)->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    }

    void statisticsOfTheGameAndOfAll() {
        playDeal(901, 6);  // leaves the second Klondike deal
        withDialog<qt::StatisticsDialog>(Command::Statistics, [this](qt::StatisticsDialog& d) {
            savePicture(&d, "statistics.png");
            QCOMPARE(d.figure("Played", 0), QStringLiteral("3"));
            QCOMPARE(d.figure("Played", 1), QStringLiteral("5"));
            QCOMPARE(d.figure("Won", 1), QStringLiteral("0"));
            QCOMPARE(d.figure("Win %", 1), QStringLiteral("0.0%"));
            QCOMPARE(d.figure("Current streak", 0), QStringLiteral("3 lost"));
            QCOMPARE(d.figure("Best time", 0), QStringLiteral("-"));
            QCOMPARE(d.chart().days().size(), size_t{1});
            QCOMPARE(d.chart().days()[0].lost, 3);

            // The reset asks first; No keeps everything.
            answer = IdNo;
            d.resetCurrentGame();
            QCOMPARE(captions.back(), std::string("ARE YOU SURE?"));
            QCOMPARE(d.figure("Played", 0), QStringLiteral("3"));
            answer = IdYes;
            QTest::mouseClick(&d.resetButton(), Qt::LeftButton);
            QCOMPARE(d.figure("Played", 0), QStringLiteral("0"));
            QCOMPARE(d.figure("Played", 1), QStringLiteral("2"));
            QVERIFY(!d.resetButton().isEnabled());
        });
        // The deal being played kept its row, and is counted once left.
        playDeal(827, 7);
        qt::StatisticsDialog again(window);
        QCOMPARE(again.figure("Played", 1), QStringLiteral("3"));
    }

    void chooserFindsAGameAsItsNameIsTyped() {
        withDialog<qt::GameChooser>(Command::ChooseGame, [](qt::GameChooser& d) {
            savePicture(&d, "choose-game.png");
            const std::vector<int> all = d.listed();
            QCOMPARE(all.size(), size_t{113});
            // Most recently played first: Klondike, then Spider.
            QCOMPARE(all[0], 827);
            QCOMPARE(all[1], 901);
            QVERIFY(d.details().contains(QStringLiteral("1 deck")));
            QVERIFY(d.details().contains(QStringLiteral("proved winnable")));
            QVERIFY(d.details().contains(QStringLiteral("Played")));
            QTest::keyClicks(&d.filter(), QStringLiteral("SPID"));
            QCOMPARE(d.listed(), (std::vector<int>{901, 801}));
            QVERIFY(d.details().contains(QStringLiteral("2 decks")));
            QTest::keyClick(&d.filter(), Qt::Key_Down);
            QCOMPARE(d.list().currentRow(), 1);
            QTest::keyClicks(&d.filter(), QStringLiteral("xyz"));
            QVERIFY(d.listed().empty());
            d.filter().setText(QStringLiteral("ace"));
            QCOMPARE(d.listed(), (std::vector<int>{833, 934}));
            QTest::keyClick(&d.filter(), Qt::Key_Down);
            QTest::keyClick(&d.filter(), Qt::Key_Return);
        });
        QCOMPARE(currentGame->commandId, 934);
        QVERIFY(captions.empty());
    }
};

QTEST_MAIN(HistoryDialogsTest)
#include "history_dialogs_test.moc"
