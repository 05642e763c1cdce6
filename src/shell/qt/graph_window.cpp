#include "shell/qt/graph_window.h"

#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include "model/gamelog.h"
#include "model/records.h"
#include "view/graph.h"

namespace korvat::qt {

namespace {
GraphWindow* theWindow = nullptr;
// A log merged with what another program wrote is drawn again at once.
void showMergedLog() {
    if (theWindow) theWindow->update();
}
}  // namespace

GraphWindow::GraphWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle(QStringLiteral("Korvat"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/korvat-small.png")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(view::kGraphWidth, view::kGraphHeight);
    surface_.allocate(view::kGraphWidth, view::kGraphHeight);
    theWindow = this;
    attached_ = true;
    table.graphOpen = 1;
    logReplaced = showMergedLog;
}

GraphWindow::~GraphWindow() { detach(); }

void GraphWindow::detach() {
    if (!attached_) return;
    attached_ = false;
    table.graphOpen = 0;
    if (theWindow == this) theWindow = nullptr;
    if (logReplaced == showMergedLog) logReplaced = nullptr;
}

void GraphWindow::closeEvent(QCloseEvent* event) {
    detach();
    event->accept();
}

void GraphWindow::paintEvent(QPaintEvent* event) {
    view::drawGraph(surface_);
    const QImage image(reinterpret_cast<const uchar*>(surface_.pixels.data()), surface_.width, surface_.height,
                       surface_.width * 4, QImage::Format_RGB32);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(event->rect(), image, event->rect());
}

void GraphWindow::open(QWidget* owner) {
    if (theWindow) return;
    auto* window = new GraphWindow(owner);
    view::drawGraph(window->surface_);
    window->show();
    window->update();
}

GraphWindow* GraphWindow::instance() { return theWindow; }

}  // namespace korvat::qt
