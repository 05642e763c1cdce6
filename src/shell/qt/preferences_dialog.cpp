#include "shell/qt/preferences_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "model/records.h"
#include "shell/menu.h"
#include "shell/preferences_dialog.h"
#include "shell/qt/main_window.h"

namespace korvat::qt {

namespace {

// The stand-in for the dialog's own face.
QFont dialogFont() {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPointSize(kPreferencesPointSize);
    return font;
}

}  // namespace

PreferencesDialog::PreferencesDialog(MainWindow* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), owner_(owner) {
    setWindowTitle(QString::fromLatin1(kPreferencesTitle));
    setObjectName(QStringLiteral("dialog1401"));
    setFont(dialogFont());
    // Dialog units: a quarter of the average character width across, an
    // eighth of the character height down.
    const QFontMetrics metrics(font());
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    unitX_ = qMax(1, (alphabet / 26 + 1) / 2);
    unitY_ = qMax(1, metrics.height());

    QButtonGroup* radios = nullptr;
    for (int i = 0; i < kPreferencesControlCount; ++i) {
        const PreferencesControl& c = kPreferencesControls[i];
        const QString text = QString::fromLatin1(c.text);
        QWidget* widget = nullptr;
        QAbstractButton* button = nullptr;
        switch (c.kind) {
            case PreferencesControlKind::GroupBox: widget = new QGroupBox(text, this); break;
            case PreferencesControlKind::CheckBox: button = new QCheckBox(text, this); break;
            case PreferencesControlKind::RadioButton:
                button = new QRadioButton(text, this);
                if (c.startsGroup || !radios) {
                    radios = new QButtonGroup(this);
                    radioGroups_[c.id] = radios;
                }
                radios->addButton(button, c.id);
                break;
            case PreferencesControlKind::PushButton:
            case PreferencesControlKind::DefaultPushButton: {
                auto* push = new QPushButton(text, this);
                push->setAutoDefault(false);
                push->setDefault(c.kind == PreferencesControlKind::DefaultPushButton);
                button = push;
                break;
            }
        }
        if (button) {
            widget = button;
            controls_[c.id] = button;
            button->setObjectName(QStringLiteral("control%1").arg(c.id));
            const int id = c.id;
            connect(button, &QAbstractButton::clicked, this, [this, id] { clicked(id); });
        }
        QRect place = pixelRect(c.x, c.y, c.width, c.height);
        // Check marks and radio marks are wider here than the layout
        // allowed for, so a label may take the room it needs up to the
        // dialog's edge rather than be cut off.
        if (c.kind == PreferencesControlKind::CheckBox || c.kind == PreferencesControlKind::RadioButton) {
            const int room = pixelRect(0, 0, kPreferencesWidth, kPreferencesHeight).width() - place.x() - 2;
            place.setWidth(qMax(place.width(), qMin(widget->sizeHint().width(), room)));
        }
        widget->setGeometry(place);
    }
    setFixedSize(pixelRect(0, 0, kPreferencesWidth, kPreferencesHeight).size());
    showMarks();
}

void PreferencesDialog::run(MainWindow* owner) {
    PreferencesDialog dialog(owner);
    dialog.exec();
}

QAbstractButton* PreferencesDialog::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QRect PreferencesDialog::pixelRect(int x, int y, int width, int height) const {
    return QRect(x * unitX_ / 4, y * unitY_ / 8, width * unitX_ / 4, height * unitY_ / 8);
}

void PreferencesDialog::clicked(int id) {
    const bool close = preferencesDialogCommand(id);
    showMarks();
    // Show All Cards may have been switched off behind the dialog.
    if (owner_)
        if (QAction* a = owner_->action(Command::ShowAllCards)) a->setChecked(korvat::table.showAllCards != 0);
    if (close) {
        closing_ = true;
        accept();
    }
}

void PreferencesDialog::showMarks() {
    for (auto& [first, group] : radioGroups_) group->setExclusive(false);
    for (auto& [id, button] : controls_)
        if (button->isCheckable()) button->setChecked(preferencesControlChecked(id));
    // A setting outside its group's range leaves every button unmarked.
    for (auto& [first, group] : radioGroups_) group->setExclusive(true);
}

void PreferencesDialog::reject() {}

void PreferencesDialog::closeEvent(QCloseEvent* event) {
    if (closing_)
        event->accept();
    else
        event->ignore();
}

}  // namespace korvat::qt
