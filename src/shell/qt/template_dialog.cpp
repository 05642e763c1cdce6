#include "shell/qt/template_dialog.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cstring>
#include <vector>

namespace korvat::qt {

namespace {

ScrollRequest requestOf(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub: return ScrollRequest::LineLeft;
        case QAbstractSlider::SliderSingleStepAdd: return ScrollRequest::LineRight;
        case QAbstractSlider::SliderPageStepSub: return ScrollRequest::PageLeft;
        case QAbstractSlider::SliderPageStepAdd: return ScrollRequest::PageRight;
        case QAbstractSlider::SliderMove: return ScrollRequest::ThumbTrack;
        case QAbstractSlider::SliderToMinimum: return ScrollRequest::Leftmost;
        case QAbstractSlider::SliderToMaximum: return ScrollRequest::Rightmost;
        default: return ScrollRequest::EndScroll;
    }
}

// Dialog units are rounded to the nearest pixel.
int scaled(int units, int base, int per) { return (units * base + per / 2) / per; }

// A group box as the dialogs draw it: an etched frame whose top line runs
// through the middle of the title. It only frames; the controls inside are
// the dialog's own.
class GroupFrame final : public QWidget {
public:
    GroupFrame(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const QRect frame = rect().adjusted(0, metrics.height() / 2, -2, -2);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(frame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1));
        if (title_.isEmpty()) return;
        const int indent = metrics.averageCharWidth();
        const QRect label(indent, 0, metrics.horizontalAdvance(title_) + indent / 2, metrics.height());
        painter.fillRect(label, palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, title_);
    }

private:
    QString title_;
};

// Radio buttons with the small mark and the narrow gap of the dialogs'
// own look, so that a one-letter choice fits its 15 dialog units.
class CompactRadioStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
            case PM_ExclusiveIndicatorWidth:
            case PM_ExclusiveIndicatorHeight: return 12;
            case PM_RadioButtonLabelSpacing: return 3;
            default: return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

}  // namespace

QFont dialogFont(const char* face, int pointSize) {
    QString family = QStringLiteral("DejaVu Sans");
    if (std::strcmp(face, "Times New Roman") == 0) family = QStringLiteral("Liberation Serif");
    if (std::strcmp(face, "Fixedsys") == 0) family = QStringLiteral("DejaVu Sans Mono");
    QFont font(family);
    font.setPixelSize((pointSize * 96 + 36) / 72);
    font.setStyleHint(family == QLatin1String("DejaVu Sans Mono") ? QFont::TypeWriter : QFont::AnyStyle);
    return font;
}

TemplateDialog::TemplateDialog(const DialogTemplate& dialog, QWidget* owner)
    : QDialog(owner), template_(dialog) {
    // A title bar and nothing on it: no system menu, no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QString::fromLatin1(dialog.title));
    setModal(true);
    setFont(dialogFont(dialog.font, dialog.pointSize));
    // The dialog base units: the average width of the letters, and the height of a line.
    const QFontMetrics metrics(font());
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    base_ = QSize((letters / 26 + 1) / 2, metrics.height());
    setFixedSize(toPixels(0, 0, dialog.width, dialog.height).size());
    build();
}

QRect TemplateDialog::toPixels(int x, int y, int width, int height) const {
    const int left = scaled(x, base_.width(), 4), top = scaled(y, base_.height(), 8);
    return QRect(left, top, scaled(x + width, base_.width(), 4) - left, scaled(y + height, base_.height(), 8) - top);
}

void TemplateDialog::build() {
    std::vector<QWidget*> boxes;
    for (int i = 0; i < template_.controlCount; ++i) {
        const DialogControl& c = template_.controls[i];
        const QString text = QString::fromLatin1(c.text);
        const QRect place = toPixels(c.x, c.y, c.width, c.height);
        QWidget* w = nullptr;
        switch (c.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefaultPushButton: {
                auto* b = new QPushButton(text, this);
                b->setAutoDefault(true);
                b->setDefault(c.kind == ControlKind::DefaultPushButton);
                const int id = c.id;
                connect(b, &QPushButton::clicked, this, [this, id] { command(id); });
                w = b;
                break;
            }
            case ControlKind::CentredText: {
                auto* l = new QLabel(text, this);
                l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
                w = l;
                break;
            }
            case ControlKind::Icon: {
                auto* l = new QLabel(this);
                const QPixmap icon(QStringLiteral(":/icons/select-%1.png").arg(c.id));
                l->setPixmap(icon);
                l->setGeometry(QRect(place.topLeft(), icon.size()));
                controls_[c.id] = l;
                continue;
            }
            case ControlKind::Edit:
            case ControlKind::ReadOnlyEdit: {
                auto* e = new QLineEdit(text, this);
                if (c.kind == ControlKind::ReadOnlyEdit) {
                    e->setReadOnly(true);
                    e->setFrame(false);
                    QPalette p = e->palette();
                    p.setColor(QPalette::Base, p.color(QPalette::Window));
                    e->setPalette(p);
                }
                w = e;
                break;
            }
            case ControlKind::ScrollBar: {
                auto* s = new QScrollBar(Qt::Horizontal, this);
                s->setSingleStep(1);
                s->setPageStep(1);
                const int id = c.id;
                connect(s, &QScrollBar::actionTriggered, this,
                        [this, s, id](int action) { scroll(id, requestOf(action), s->sliderPosition()); });
                w = s;
                break;
            }
            case ControlKind::GroupBox:
                w = new GroupFrame(text, this);
                boxes.push_back(w);
                break;
            case ControlKind::RadioButton: {
                auto* r = new QRadioButton(text, this);
                if (!radioStyle_) {
                    radioStyle_ = new CompactRadioStyle;
                    radioStyle_->setParent(this);
                }
                r->setStyle(radioStyle_);
                QButtonGroup*& group = groups_[c.group];
                if (!group) group = new QButtonGroup(this);
                group->addButton(r, c.id);
                const int id = c.id;
                connect(r, &QRadioButton::clicked, this, [this, id] { command(id); });
                w = r;
                break;
            }
        }
        w->setGeometry(place);
        if (c.id >= 0) controls_[c.id] = w;
    }
    // A group box is a frame drawn behind the controls it surrounds.
    for (QWidget* box : boxes) box->lower();
}

QWidget* TemplateDialog::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A focused push button takes Enter itself; anywhere else it is OK.
            command(DialogId::Ok);
            return;
        case Qt::Key_Escape: command(DialogId::Cancel); return;
        default: QDialog::keyPressEvent(event);
    }
}

void TemplateDialog::reject() { command(DialogId::Cancel); }

std::string TemplateDialog::text(int id) const {
    auto* e = controlAs<QLineEdit>(id);
    return e ? e->text().toLatin1().toStdString() : std::string();
}

void TemplateDialog::setText(int id, const std::string& text) {
    auto* e = controlAs<QLineEdit>(id);
    const QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (e && e->text() != shown) e->setText(shown);
}

void TemplateDialog::setScrollBar(int id, const ScrollBarState& state) {
    auto* s = controlAs<QScrollBar>(id);
    if (!s) return;
    s->setRange(state.minimum, state.maximum);
    // setValue moves the scroll box without making a request of its own.
    s->setValue(state.position);
}

void TemplateDialog::checkRadio(int group, int id) {
    auto it = groups_.find(group);
    if (it == groups_.end()) return;
    QButtonGroup* g = it->second;
    if (QAbstractButton* b = g->button(id)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked unless told otherwise.
    g->setExclusive(false);
    for (QAbstractButton* b : g->buttons()) b->setChecked(false);
    g->setExclusive(true);
}

}  // namespace korvat::qt
