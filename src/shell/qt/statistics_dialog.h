// Options > Statistics: the figures of the history for the current game and
// for all games, a chart of the deals won and lost per day, and the reset
// of one game's statistics.
#pragma once

#include <QDialog>
#include <vector>

#include "store/history_stats.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace korvat::qt {

class ResultsChart;

class StatisticsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit StatisticsDialog(QWidget* owner);
    // Shows the dialog modally on the owner until it closes.
    static void run(QWidget* owner);

    // What the dialog shows (tests): the value of a figure ("Won") in the
    // column of the current game (0) or of all games (1).
    QString figure(const char* label, int column) const;
    ResultsChart& chart() { return *chart_; }
    QPushButton& resetButton() { return *reset_; }
    // Resets the current game's statistics after asking.
    void resetCurrentGame();

private:
    void load();
    void showFigures();
    void showChart();

    int game_ = 0;  // the current game's command id
    std::vector<history::Result> results_;
    history::Statistics statistics_;
    QGridLayout* grid_ = nullptr;
    std::vector<QLabel*> values_[2];
    QLabel* problem_ = nullptr;
    QComboBox* scope_ = nullptr;
    ResultsChart* chart_ = nullptr;
    QPushButton* reset_ = nullptr;
};

}  // namespace korvat::qt
