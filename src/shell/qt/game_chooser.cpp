#include "shell/qt/game_chooser.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "model/catalogue.h"
#include "shell/game_odds.h"
#include "shell/history_recorder.h"
#include "shell/menu.h"
#include "shell/qt/game_preview.h"

namespace korvat::qt {

namespace {

constexpr QSize kPictureSize(256, 192);
// The deal the picture shows.
constexpr uint32_t kPictureDeal = 1;

int decksOf(const GameEntry& g) {
    if (g.ruleFlags & GameRuleFlags::fourDecks) return 4;
    if (g.ruleFlags & GameRuleFlags::twoDecks) return 2;
    return 1;
}

// The name the menus show, with the decks where the same name stands for
// games of one, two and four decks.
QString listedName(const GameEntry& g) {
    const char* menu = gameMenuText(g.commandId);
    QString name = menu ? QString::fromLatin1(menu).remove(QLatin1Char('&')) : QString::fromLatin1(g.name);
    int sameName = 0;
    for (const GameEntry& other : gameCatalogue())
        if (std::strcmp(other.name, g.name) == 0) ++sameName;
    if (sameName > 1) name += QStringLiteral(" (%1 deck%2)").arg(decksOf(g)).arg(decksOf(g) > 1 ? "s" : "");
    return name;
}

}  // namespace

GameChooser::GameChooser(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Choose Game"));
    std::vector<history::Result> results;
    std::string error;
    if (historyRecorder::readResults(results, error)) statistics_ = history::computeStatistics(results);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(QStringLiteral("Type any part of a name"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    list_ = new QListWidget(this);
    list_->setMinimumWidth(220);
    left->addWidget(filter_);
    left->addWidget(list_, 1);
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    picture_ = new QLabel(this);
    picture_->setFixedSize(kPictureSize);
    details_ = new QLabel(this);
    details_->setWordWrap(true);
    details_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    details_->setTextFormat(Qt::RichText);
    details_->setMinimumWidth(kPictureSize.width());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Play"));
    right->addWidget(picture_);
    right->addWidget(details_, 1);
    right->addWidget(buttons);
    layout->addLayout(right);

    connect(filter_, &QLineEdit::textChanged, this, [this] { fill(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
    connect(list_, &QListWidget::itemActivated, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &GameChooser::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fill();
    filter_->setFocus();
}

int GameChooser::run(QWidget* owner) {
    GameChooser chooser(owner);
    chooser.exec();
    return chooser.chosen();
}

void GameChooser::fill() {
    const QString typed = filter_->text().trimmed();
    struct Entry {
        QString name;
        int id;
        int order;  // the place of its last deal among all deals, -1 for none
    };
    std::vector<Entry> entries;
    for (const GameEntry& g : gameCatalogue()) {
        const QString name = listedName(g);
        if (!typed.isEmpty() && !name.contains(typed, Qt::CaseInsensitive) &&
            !QString::fromLatin1(g.name).contains(typed, Qt::CaseInsensitive))
            continue;
        entries.push_back({name, g.commandId, statistics_.of(g.commandId).lastOrder});
    }
    // The games played most recently first until the player types; then,
    // and after them, by name.
    const bool byRecent = typed.isEmpty();
    std::stable_sort(entries.begin(), entries.end(), [byRecent](const Entry& a, const Entry& b) {
        if (byRecent && a.order != b.order) return a.order > b.order;
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    list_->clear();
    for (const Entry& e : entries) {
        auto* item = new QListWidgetItem(e.name, list_);
        item->setData(Qt::UserRole, e.id);
    }
    list_->setCurrentRow(entries.empty() ? -1 : 0);
    showSelected();
}

void GameChooser::showSelected() {
    const QListWidgetItem* item = list_->currentItem();
    const int row = item ? findGameRow(item->data(Qt::UserRole).toInt()) : -1;
    if (row < 0) {
        picture_->clear();
        details_->setText(QStringLiteral("No game has that in its name."));
        return;
    }
    const GameEntry& g = gameCatalogue()[static_cast<size_t>(row)];
    picture_->setPixmap(QPixmap::fromImage(openingTablePicture(g, kPictureDeal, kPictureSize)));
    const history::Figures& f = statistics_.of(g.commandId);
    QString text = QStringLiteral("<b>%1</b><br>%2 deck%3<br><br>Odds: %4")
                       .arg(QString::fromLatin1(g.name).toHtmlEscaped())
                       .arg(decksOf(g))
                       .arg(decksOf(g) > 1 ? "s" : "")
                       .arg(QString::fromStdString(oddsText(g.commandId)).toHtmlEscaped());
    text += QStringLiteral("<br><br>Your deals:");
    if (f.played == 0) {
        text += QStringLiteral(" none yet");
    } else {
        text += QStringLiteral("<table>");
        for (const history::FigureLine& line : history::figureLines(f))
            text += QStringLiteral("<tr><td>%1</td><td align=right>&nbsp;&nbsp;%2</td></tr>")
                        .arg(QString::fromLatin1(line.label), QString::fromStdString(line.value).toHtmlEscaped());
        text += QStringLiteral("</table>");
    }
    details_->setText(text);
}

void GameChooser::choose() {
    const QListWidgetItem* item = list_->currentItem();
    if (!item) return;
    chosen_ = item->data(Qt::UserRole).toInt();
    accept();
}

std::vector<int> GameChooser::listed() const {
    std::vector<int> ids;
    for (int i = 0; i < list_->count(); ++i) ids.push_back(list_->item(i)->data(Qt::UserRole).toInt());
    return ids;
}

QString GameChooser::details() const { return details_->text(); }

bool GameChooser::eventFilter(QObject* watched, QEvent* event) {
    // The keys that move through a list move through it while the player
    // types; Enter starts the game selected.
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                QCoreApplication::sendEvent(list_, event);
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                choose();
                return true;
            default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace korvat::qt
