// What every window test needs: a folder of its own for korvat.ini and
// LOG.DAT, and a program state as at a first start.
#pragma once

#include <QTemporaryDir>

namespace korvat::qt {
class MainWindow;
}

namespace korvat::test {

// Makes the folder the current directory and the home of korvat.ini.
bool enterTestFolder(const QTemporaryDir& folder);
// No settings file, no log, the layouts as compiled in, nothing carried and
// the default preferences: a first start.
void startAsFirstRun(const QTemporaryDir& folder);
// Both of the above, then the main window started (every message answered
// OK), shown and on the screen. False when any step fails.
bool showFirstWindow(const QTemporaryDir& folder, qt::MainWindow& window);

}  // namespace korvat::test
