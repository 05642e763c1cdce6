// The two dialogs that choose the deal of the current game: "Select Game"
// (dialog 1400, File > Select...) takes a deal number typed or stepped, and
// "Select logged game" (dialog 1405, Options > Database...) walks through
// the deals of this game in the game log. Both deal at once, while they
// are open, so the table always shows the deal the dialog shows.
#pragma once

#include <string>

#include "shell/dialog_template.h"

namespace korvat {

namespace DialogId {
constexpr int Up = 1900;
constexpr int Down = 1901;
constexpr int DealNumber = 1500;   // edit box of 1400
constexpr int LoggedNumber = 1504;
constexpr int Description = 1505;
constexpr int Completion = 1506;
constexpr int LogScroll = 1602;
}  // namespace DialogId

extern const DialogTemplate selectGameTemplate;  // 1400
extern const DialogTemplate loggedGameTemplate;  // 1405

// The deal number box of 1400 is read up to this many characters.
constexpr int kDealNumberChars = 10;

// The contents of the controls of 1400.
struct SelectGameControls {
    std::string number;  // 1500
};

// Dialog 1400. Opening shows the current deal number; OK deals the number
// typed and closes; Up and Down deal the next and the previous number and
// stay; Cancel (and Escape) closes, leaving whatever was dealt.
DialogResult selectGameDialog(SelectGameControls& controls, const DialogEvent& event);

// The contents of the controls of 1405.
struct LoggedGameControls {
    std::string number;       // 1504
    std::string description;  // 1505, as typed
    std::string completion;   // 1506
    ScrollBarState scroll;    // 1602
};

// Dialog 1405, opened only while logMatchCount (this game's logged deals)
// is above 0. Opening goes to the current deal, or deals the first logged
// one when the current deal is not logged; the scroll bar moves through the
// logged deals and deals each one shown; OK keeps the typed description and
// closes, and so do Escape and the window's close button.
DialogResult loggedGameDialog(LoggedGameControls& controls, const DialogEvent& event);

}  // namespace korvat
