// The player's files: the preferences in korvat.ini and the game log in
// LOG.DAT.
#pragma once

namespace korvat {

void readPreferences();
void writePreferences();
void readLog();
void writeLog();

}  // namespace korvat
