#include "shell/qt/statistics_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/catalogue.h"
#include "model/platform.h"
#include "shell/history_recorder.h"
#include "shell/qt/results_chart.h"

namespace korvat::qt {

namespace {
// The days the chart shows at most.
constexpr size_t kChartDays = 30;
}  // namespace

StatisticsDialog::StatisticsDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Statistics"));
    game_ = currentGame ? currentGame->commandId : 0;
    const QString gameName = currentGame ? QString::fromLatin1(currentGame->name) : QString();

    auto* layout = new QVBoxLayout(this);
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);

    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(24);
    auto* gameHeading = new QLabel(QStringLiteral("<b>%1</b>").arg(gameName.toHtmlEscaped()), this);
    auto* allHeading = new QLabel(QStringLiteral("<b>All games</b>"), this);
    grid_->addWidget(gameHeading, 0, 1, Qt::AlignRight);
    grid_->addWidget(allHeading, 0, 2, Qt::AlignRight);
    const std::vector<history::FigureLine> lines = history::figureLines(history::Figures{});
    for (size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid_->addWidget(new QLabel(QString::fromLatin1(lines[i].label), this), row, 0);
        for (int column = 0; column < 2; ++column) {
            auto* value = new QLabel(this);
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setObjectName(QString::fromLatin1(lines[i].label));
            grid_->addWidget(value, row, column + 1);
            values_[column].push_back(value);
        }
    }
    layout->addLayout(grid_);

    auto* chartRow = new QHBoxLayout;
    chartRow->addWidget(new QLabel(QStringLiteral("Chart of:"), this));
    scope_ = new QComboBox(this);
    scope_->addItem(gameName);
    scope_->addItem(QStringLiteral("All games"));
    chartRow->addWidget(scope_);
    chartRow->addStretch(1);
    layout->addLayout(chartRow);
    chart_ = new ResultsChart(this);
    layout->addWidget(chart_, 1);
    connect(scope_, &QComboBox::currentIndexChanged, this, [this] { showChart(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    reset_ = buttons->addButton(QStringLiteral("&Reset %1...").arg(gameName), QDialogButtonBox::ResetRole);
    connect(reset_, &QPushButton::clicked, this, &StatisticsDialog::resetCurrentGame);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    load();
}

void StatisticsDialog::run(QWidget* owner) {
    StatisticsDialog dialog(owner);
    dialog.exec();
}

void StatisticsDialog::load() {
    std::string error;
    const bool read = historyRecorder::readResults(results_, error);
    statistics_ = history::computeStatistics(results_);
    problem_->setVisible(!read);
    if (!read) problem_->setText(QString::fromStdString(error));
    reset_->setEnabled(read && statistics_.of(game_).played > 0);
    showFigures();
    showChart();
}

void StatisticsDialog::showFigures() {
    const history::Figures* columns[2] = {&statistics_.of(game_), &statistics_.all};
    for (int column = 0; column < 2; ++column) {
        const std::vector<history::FigureLine> lines = history::figureLines(*columns[column]);
        for (size_t i = 0; i < lines.size() && i < values_[column].size(); ++i)
            values_[column][i]->setText(QString::fromStdString(lines[i].value));
    }
}

void StatisticsDialog::showChart() {
    chart_->setDays(history::resultsByDay(results_, scope_->currentIndex() == 0 ? game_ : 0, kChartDays));
}

QString StatisticsDialog::figure(const char* label, int column) const {
    for (const QLabel* value : values_[column == 0 ? 0 : 1])
        if (value->objectName() == QLatin1String(label)) return value->text();
    return {};
}

void StatisticsDialog::resetCurrentGame() {
    if (!currentGame) return;
    const std::string question = std::string("Reset the statistics of ") + currentGame->name +
                                 "?  Its finished deals are removed from the history.";
    if (platform().messageBox(question.c_str(), "ARE YOU SURE?", Mb::YesNo | Mb::IconQuestion) != IdYes) return;
    std::string error;
    switch (historyRecorder::resetGame(game_, error)) {
        case history::Outcome::Done: break;
        case history::Outcome::Busy:
            platform().messageBox("The history of the deals played is in use by another program.  Try again in a "
                                  "moment.",
                                  "NOT NOW.", Mb::Ok | Mb::IconStop);
            return;
        case history::Outcome::Failed: {
            const std::string text = "The statistics could not be reset.\n\n" + error;
            platform().messageBox(text.c_str(), "MODERATE ERROR", Mb::Ok | Mb::IconExclamation);
            return;
        }
    }
    load();
}

}  // namespace korvat::qt
