// korvat.ini shared by two programs: two windows closing at the same moment,
// round after round, each having changed keys of its own. The test runs
// itself twice more as the two programs (KORVAT_SHARING_WINDOW=A or B).
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <iostream>
#include <string>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "play/pointer.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"

using namespace korvat;

namespace {

// What each program changes: preferences, and the window's size or place.
struct Changes {
    void (*make)(qt::MainWindow& window);
    const char* lines[4];
};

const Changes changesOf[2] = {
    {[](qt::MainWindow& w) {
         prefs.Seed = -1;
         prefs.AllowCounter = 0;
         w.resize(w.size() - w.table().size() + QSize(700, 500));
     },
     {"Seed=4294967295\r\n", "AllowCounter=0\r\n", "Width=700\r\n", "Height=500\r\n"}},
    {[](qt::MainWindow& w) {
         prefs.TableBack = 7;
         prefs.Unlimit = -1;
         w.move(37, 23);
     },
     {"TableBack=7\r\n", "Unlimit=4294967295\r\n", "Left=37\r\n", "Top=23\r\n"}},
};

// The player's own lines, which both programs keep.
const char kStart[] = "\xEF\xBB\xBF; the player's notes\r\n[Prefs]\r\nFuture=7\r\n\r\n[Other]\r\nX=1\r\n";

// One of the two programs: opens its window at "open", makes its changes,
// and closes it at "close", saying when each is done.
int runWindow(int which) {
    qt::MainWindow* window = nullptr;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "open") {
            reloadCatalogue();
            resetLog();
            resetPointerPlay();
            prefs = Preferences{};
            window = new qt::MainWindow();
            window->platform().messageHook = [](const char*, const char*, unsigned) { return IdOk; };
            if (!window->start("")) return 1;
            window->show();
            changesOf[which].make(*window);
            QCoreApplication::processEvents();
            std::cout << "ready" << std::endl;
        } else if (line == "close") {
            delete window;
            window = nullptr;
            std::cout << "closed" << std::endl;
        }
    }
    return 0;
}

}  // namespace

class SharedSettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir files;

    static bool say(QProcess& p, const char* line) { return p.write(line) > 0 && p.waitForBytesWritten(5000); }
    static bool hear(QProcess& p, const char* line) {
        while (!p.canReadLine())
            if (!p.waitForReadyRead(20000)) return false;
        return p.readLine().trimmed() == line;
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void twoWindowsClosingTogetherKeepEveryKeyBothWrote() {
        QProcess windows[2];
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KORVAT_SHARING_WINDOW"), i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
            windows[i].setProcessEnvironment(env);
            windows[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            windows[i].start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(windows[i].waitForStarted());
        }
        const QString path = files.filePath(QStringLiteral("korvat.ini"));
        constexpr int kRounds = 100;
        int kept = 0;
        QString lost;
        for (int round = 0; round < kRounds; ++round) {
            QFile start(path);
            QVERIFY(start.open(QIODevice::WriteOnly | QIODevice::Truncate));
            start.write(kStart);
            start.close();
            for (QProcess& w : windows) QVERIFY(say(w, "open\n"));
            for (QProcess& w : windows) QVERIFY(hear(w, "ready"));
            for (QProcess& w : windows) QVERIFY(say(w, "close\n"));
            for (QProcess& w : windows) QVERIFY(hear(w, "closed"));
            QFile ini(path);
            QVERIFY(ini.open(QIODevice::ReadOnly));
            const QByteArray text = ini.readAll();
            bool all = text.startsWith("\xEF\xBB\xBF; the player's notes\r\n[Prefs]\r\n") &&
                       text.contains("Future=7\r\n") && text.contains("\r\n[Other]\r\nX=1\r\n");
            for (const Changes& c : changesOf)
                for (const char* l : c.lines) all = all && text.contains(l);
            if (all)
                ++kept;
            else if (lost.isEmpty())
                lost = QString::fromLatin1(text);
        }
        for (QProcess& w : windows) {
            w.closeWriteChannel();
            QVERIFY(w.waitForFinished(10000));
            QCOMPARE(w.exitCode(), 0);
        }
        std::printf("rounds in which every key was kept: %d of %d\n", kept, kRounds);
        QVERIFY2(kept == kRounds, qPrintable(lost));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QByteArray window = qgetenv("KORVAT_SHARING_WINDOW");
    if (!window.isEmpty()) return runWindow(window == "A" ? 0 : 1);
    SharedSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "shared_settings_test.moc"
