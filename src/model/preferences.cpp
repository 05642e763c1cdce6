#include "model/preferences.h"

namespace korvat {

Preferences prefs;

}  // namespace korvat
