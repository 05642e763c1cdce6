// What every window test needs: a folder of its own for korvat.ini and
// LOG.DAT, and a program state as at a first start.
#pragma once

#include <QTemporaryDir>
#include <functional>

namespace korvat::qt {
class MainWindow;
}

namespace korvat::test {

// Makes the folder the current directory and the home of korvat.ini and
// of the history of the deals played.
bool enterTestFolder(const QTemporaryDir& folder);
// No settings file, no log, no history, the layouts as compiled in, nothing carried and
// the default preferences: a first start.
void startAsFirstRun(const QTemporaryDir& folder);
// Both of the above, then the main window started (every message answered
// OK), shown and on the screen. False when any step fails.
bool showFirstWindow(const QTemporaryDir& folder, qt::MainWindow& window);
// Starts and shows the window as the window tests want it: every message goes
// to the hook, glides take no time between frames, the clock stands still
// (unless the test needs it running) and cards make no sound.
using MessageHook = std::function<int(const char* text, const char* caption, unsigned style)>;
bool startTestWindow(qt::MainWindow& window, MessageHook hook, bool clockStandsStill = true);

}  // namespace korvat::test
