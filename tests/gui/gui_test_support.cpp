#include "gui_test_support.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include "model/catalogue.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/platform.h"
#include "play/pointer.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"

namespace korvat::test {

bool enterTestFolder(const QTemporaryDir& folder) {
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) return false;
    qputenv("KORVAT_INI", folder.filePath(QStringLiteral("korvat.ini")).toLocal8Bit());
    qputenv("KORVAT_HISTORY", folder.filePath(QStringLiteral("history.sqlite")).toLocal8Bit());
    return true;
}

void startAsFirstRun(const QTemporaryDir& folder) {
    QFile::remove(folder.filePath(QStringLiteral("korvat.ini")));
    QFile::remove(folder.filePath(QStringLiteral("LOG.DAT")));
    for (const char* name : {"history.sqlite", "history.sqlite-wal", "history.sqlite-shm"})
        QFile::remove(folder.filePath(QString::fromLatin1(name)));
    reloadCatalogue();
    resetLog();
    resetPointerPlay();
    prefs = Preferences{};
}

bool showFirstWindow(const QTemporaryDir& folder, qt::MainWindow& window) {
    if (!enterTestFolder(folder)) return false;
    startAsFirstRun(folder);
    window.platform().messageHook = [](const char*, const char*, unsigned) { return IdOk; };
    if (!window.start("")) return false;
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

bool startTestWindow(qt::MainWindow& window, MessageHook hook, bool clockStandsStill) {
    window.platform().messageHook = std::move(hook);
    window.platform().minimumFrameMilliseconds = 0;
    if (clockStandsStill) window.platform().fixedClock = 0;
    if (!window.start("")) return false;
    prefs.Sound = 0;
    window.show();
    return true;
}

}  // namespace korvat::test
