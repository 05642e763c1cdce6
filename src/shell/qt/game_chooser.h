// File > Choose Game...: every game in one list that narrows as the player
// types any part of a name, the games played most recently first until
// then; beside it the selected game's opening table, its decks, the odds
// of the solver's survey and the player's own figures. Enter or a double
// click starts the game.
#pragma once

#include <QDialog>
#include <vector>

#include "store/history_stats.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace korvat::qt {

class GameChooser final : public QDialog {
    Q_OBJECT
public:
    explicit GameChooser(QWidget* owner);
    // Shows the chooser modally; the command id of the game chosen, or 0.
    static int run(QWidget* owner);

    // What the chooser shows (tests).
    QLineEdit& filter() { return *filter_; }
    QListWidget& list() { return *list_; }
    // The command ids listed, top to bottom.
    std::vector<int> listed() const;
    QString details() const;
    int chosen() const { return chosen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    void showSelected();
    void choose();

    history::Statistics statistics_;
    QLineEdit* filter_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* details_ = nullptr;
    int chosen_ = 0;
};

}  // namespace korvat::qt
