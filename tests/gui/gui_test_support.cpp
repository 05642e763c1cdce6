#include "gui_test_support.h"

#include <QDir>
#include <QFile>

#include "model/catalogue.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "play/pointer.h"

namespace korvat::test {

bool enterTestFolder(const QTemporaryDir& folder) {
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) return false;
    qputenv("KORVAT_INI", folder.filePath(QStringLiteral("korvat.ini")).toLocal8Bit());
    return true;
}

void startAsFirstRun(const QTemporaryDir& folder) {
    QFile::remove(folder.filePath(QStringLiteral("korvat.ini")));
    QFile::remove(folder.filePath(QStringLiteral("LOG.DAT")));
    reloadCatalogue();
    resetLog();
    resetPointerPlay();
    prefs = Preferences{};
}

}  // namespace korvat::test
