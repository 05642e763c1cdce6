// The chart of the statistics: deals won and lost on each day played, one
// bar per day (won below, lost above), drawn by the program itself.
#pragma once

#include <QWidget>
#include <vector>

#include "store/history_stats.h"

namespace korvat::qt {

class ResultsChart final : public QWidget {
    Q_OBJECT
public:
    explicit ResultsChart(QWidget* parent = nullptr);
    void setDays(std::vector<history::Day> days);
    const std::vector<history::Day>& days() const { return days_; }
    QSize sizeHint() const override { return {460, 170}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<history::Day> days_;
};

}  // namespace korvat::qt
