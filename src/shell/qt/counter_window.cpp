#include "shell/qt/counter_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QVBoxLayout>

#include "model/drawing.h"
#include "model/records.h"
#include "view/counter.h"
#include "view/table_drawing.h"

namespace korvat::qt {

namespace {

CounterWindow* theWindow = nullptr;
// What refreshed the counter before the window took over.
void (*previousRefresh)() = nullptr;

void refreshOpenCounter() {
    if (theWindow) theWindow->view().refresh();
}

}  // namespace

CounterView::CounterView(QWidget* parent) : QWidget(parent) {
    setFixedSize(view::kCounterWidth, view::kCounterHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_.allocate(view::kCounterWidth, view::kCounterHeight);
}

void CounterView::refresh() {
    view::drawCounter(surface_);
    if (isVisible()) repaint();
}

void CounterView::paintEvent(QPaintEvent* event) {
    view::drawCounter(surface_);
    const QImage image(reinterpret_cast<const uchar*>(surface_.pixels.data()), surface_.width, surface_.height,
                       surface_.width * 4, QImage::Format_RGB32);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(event->rect(), image, event->rect());
}

CounterWindow::CounterWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle(QStringLiteral("Korvat"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/korvat-small.png")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    countStock_ = file->addAction(QStringLiteral("&Count stock"));
    countStock_->setCheckable(true);
    countStock_->setChecked(view::countStock == 1);
    connect(countStock_, &QAction::triggered, this, [this] { toggleCountStock(); });
    layout->setMenuBar(bar);
    view_ = new CounterView(this);
    layout->addWidget(view_);

    theWindow = this;
    attached_ = true;
    table.counterOpen = 1;
    previousRefresh = view::refreshCounter;
    view::refreshCounter = refreshOpenCounter;
}

CounterWindow::~CounterWindow() { detach(); }

void CounterWindow::detach() {
    if (!attached_) return;
    attached_ = false;
    table.counterOpen = 0;
    if (view::refreshCounter == refreshOpenCounter) view::refreshCounter = previousRefresh;
    if (theWindow == this) theWindow = nullptr;
}

void CounterWindow::closeEvent(QCloseEvent* event) {
    // Closing destroys the window (deleted on close): from now on the
    // table no longer refreshes it and the command may open a new one.
    detach();
    event->accept();
}

void CounterWindow::toggleCountStock() {
    view::countStock = view::countStock == 1 ? 0 : 1;
    countStock_->setChecked(view::countStock == 1);
    repaintTable();
}

void CounterWindow::open(QWidget* owner) {
    if (theWindow) return;
    auto* window = new CounterWindow(owner);
    window->show();
    window->view_->refresh();
}

void CounterWindow::closeWindow() { delete theWindow; }

CounterWindow* CounterWindow::instance() { return theWindow; }

}  // namespace korvat::qt
