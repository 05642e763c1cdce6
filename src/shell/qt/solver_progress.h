// A long piece of the solver's work (the search for a winnable deal, the
// review of a lost deal) run on a thread of its own while the window stays
// drawn: after a moment a progress dialog with Cancel shows how far it has
// come, and every other input is kept from the program meanwhile.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace korvat::qt {

struct ProgressWork {
    QString label;                          // the dialog's first line
    int range = 0;                          // the value's range, 0..range
    std::function<void()> run;              // on the work's own thread
    std::function<bool()> done;             // whether run has ended
    std::function<void()> cancel;           // Cancel, the window's close button, or the program ending
    std::function<QString()> detail;        // a second line of the label, read every tick
    std::function<int()> value;             // read every tick
};

// Runs the work and returns when it has ended. Closing the main window
// meanwhile cancels the work, and the window closes once it has stopped.
void runWithProgress(QWidget* mainWindow, const ProgressWork& work);

}  // namespace korvat::qt
