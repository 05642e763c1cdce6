// The pages of the help window, generated from the catalogue and the rule
// texts. Pages are addressed as the menu commands name them: a book and a
// context number.
#pragma once

#include <string>

namespace korvat {

// The book of a game's rules page: "unique.hlp", "onedeck.hlp" or "twodeck.hlp".
const char* helpBookOf(int commandId);

// The page as HTML; links to other pages read "help:BOOK#CONTEXT". An
// unknown page gives a short page that says so.
std::string helpPage(const std::string& book, int context);

}  // namespace korvat
