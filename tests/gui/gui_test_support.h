// What every window test needs: a folder of its own for korvat.ini and
// LOG.DAT, and a program state as at a first start.
#pragma once

#include <QTemporaryDir>

namespace korvat::test {

// Makes the folder the current directory and the home of korvat.ini.
bool enterTestFolder(const QTemporaryDir& folder);
// No settings file, no log, the layouts as compiled in, nothing carried and
// the default preferences: a first start.
void startAsFirstRun(const QTemporaryDir& folder);

}  // namespace korvat::test
