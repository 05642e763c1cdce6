#include "shell/qt/results_chart.h"

#include <QDate>
#include <QPainter>
#include <algorithm>

namespace korvat::qt {

namespace {
const QColor kWon(46, 139, 87);
const QColor kLost(178, 34, 34);

QString dayText(int64_t day) { return QDate(1970, 1, 1).addDays(day).toString(QStringLiteral("d MMM yyyy")); }
}  // namespace

ResultsChart::ResultsChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(300, 140);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ResultsChart::setDays(std::vector<history::Day> days) {
    days_ = std::move(days);
    update();
}

void ResultsChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QFontMetrics fm = p.fontMetrics();
    const int line = fm.height();
    if (days_.empty()) {
        p.setPen(palette().text().color());
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No deals with a date yet."));
        return;
    }
    int most = 1;
    for (const history::Day& d : days_) most = std::max(most, d.won + d.lost);

    // The plot: a scale at the left, the dates of the first and last day
    // under it, the key above.
    const int left = fm.horizontalAdvance(QString::number(most)) + 10;
    const QRect plot(left, line + 6, width() - left - 8, height() - 2 * line - 14);
    if (plot.width() < 10 || plot.height() < 10) return;
    p.setPen(palette().text().color());
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawText(QRect(0, plot.top() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(most));
    p.drawText(QRect(0, plot.bottom() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("0"));

    const double step = static_cast<double>(plot.width()) / static_cast<double>(days_.size());
    const double barWidth = std::clamp(step * 0.7, 1.0, 24.0);
    for (size_t i = 0; i < days_.size(); ++i) {
        const history::Day& d = days_[i];
        const double x = plot.left() + step * static_cast<double>(i) + (step - barWidth) / 2;
        const double wonHeight = plot.height() * static_cast<double>(d.won) / most;
        const double lostHeight = plot.height() * static_cast<double>(d.lost) / most;
        p.fillRect(QRectF(x, plot.bottom() - wonHeight, barWidth, wonHeight), kWon);
        p.fillRect(QRectF(x, plot.bottom() - wonHeight - lostHeight, barWidth, lostHeight), kLost);
    }
    const int textTop = plot.bottom() + 4;
    p.drawText(QRect(plot.left(), textTop, plot.width(), line), Qt::AlignLeft, dayText(days_.front().day));
    if (days_.size() > 1)
        p.drawText(QRect(plot.left(), textTop, plot.width(), line), Qt::AlignRight, dayText(days_.back().day));

    // The key.
    int x = plot.left();
    for (const auto& [colour, text] : {std::pair{kWon, QStringLiteral("won")}, std::pair{kLost, QStringLiteral("lost")}}) {
        p.fillRect(QRect(x, 2 + (line - 10) / 2, 10, 10), colour);
        p.drawText(QPoint(x + 14, 2 + fm.ascent()), text);
        x += 14 + fm.horizontalAdvance(text) + 12;
    }
    p.drawText(QRect(x, 2, plot.right() - x, line), Qt::AlignRight,
               days_.size() == 1 ? QStringLiteral("deals on the one day played")
                                 : QStringLiteral("deals per day, the last %1 days played").arg(days_.size()));
}

}  // namespace korvat::qt
