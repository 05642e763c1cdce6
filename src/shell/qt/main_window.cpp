#include "shell/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <vector>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/records.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/preferences_dialog.h"
#include "shell/program.h"
#include "shell/qt/counter_window.h"
#include "shell/qt/editor_dialog.h"
#include "shell/qt/graph_window.h"
#include "shell/qt/logged_game_dialog.h"
#include "shell/qt/preferences_dialog.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/select_game_dialog.h"
#include "view/pictures.h"

// The sounds and icons are compiled into this library; a static library's
// resources are registered by hand.
static void registerResources() { Q_INIT_RESOURCE(korvat); }

namespace korvat::qt {

namespace {

// The window surface seen as an image, without copying it.
QImage surfaceImage() {
    Surface& s = view::windowSurface;
    if (s.pixels.empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(s.pixels.data()), s.width, s.height, s.width * 4,
                  QImage::Format_RGB32);
}

int keyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Tab: return Key::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return Key::Enter;
        case Qt::Key_PageUp: return Key::PageUp;
        case Qt::Key_PageDown: return Key::PageDown;
        case Qt::Key_Left: return Key::Left;
        case Qt::Key_Up: return Key::Up;
        case Qt::Key_Right: return Key::Right;
        case Qt::Key_Down: return Key::Down;
        default: return 0;
    }
}

// The main window that owns the card counter and graph windows the shell opens.
MainWindow* windowsOwner = nullptr;

}  // namespace

TableWidget::TableWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(kClientWidth, kClientHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // moves while carrying arrive whether or not the pointer is grabbed
}

void TableWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QImage image = surfaceImage();
    if (image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // Nearest-neighbour scaling keeps the cards crisp on scaled screens.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(event->rect(), image, event->rect());
    reportFirstTable();
}

void TableWidget::reportFirstTable() {
    // The start-up measurement: with KORVAT_STARTUP_PROBE set, the program
    // prints the wall clock when the first table is on the shown window,
    // then quits (and with KORVAT_STARTUP_PROBE=stay it keeps running).
    static bool reported = false;
    if (reported || !isVisible()) return;
    reported = true;
    const QByteArray probe = qgetenv("KORVAT_STARTUP_PROBE");
    if (probe.isEmpty()) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::printf("first-table %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    if (probe != "stay") QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TableWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        pressAt(p.x(), p.y());
    else if (event->button() == Qt::RightButton)
        rightPressAt(p.x(), p.y());
}

void TableWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!carrying()) return;
    const QPoint p = event->position().toPoint();
    dragTo(p.x(), p.y());
}

void TableWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) release();
}

void TableWidget::keyPressEvent(QKeyEvent* event) {
    int key = keyCode(event->key());
    if (key)
        keyDown(key);
    else
        QWidget::keyPressEvent(event);
}

bool TableWidget::event(QEvent* event) {
    // Tab belongs to the edit-mode keys, not to focus changes.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab) {
        keyDown(Key::Tab);
        return true;
    }
    return QWidget::event(event);
}

void TableWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (!carrying() && currentGame) repaintTable();
}

void TableWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Losing the pointer to another window counts as letting go of the cards.
    if (carrying()) release();
}

MainWindow::MainWindow() : platform_(std::make_unique<QtPlatform>(*this)) {
    registerResources();
    setWindowTitle(QStringLiteral("Korvat"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/korvat.png")));
    table_ = new TableWidget(this);
    setCentralWidget(table_);
    buildMenu();
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    qApp->installEventFilter(this);
    windowsOwner = this;
    shellHooks.openCounter = [] { CounterWindow::open(windowsOwner); };
    shellHooks.openGraph = [] { GraphWindow::open(windowsOwner); };
    closeCounterWindow = CounterWindow::closeWindow;
    shellHooks.openSelectGame = [] { SelectGameDialog::run(windowsOwner); };
    shellHooks.openLoggedGame = [] { LoggedGameDialog::run(windowsOwner); };
    shellHooks.openPileEditor = [] { PileEditorDialog::run(windowsOwner); };
    shellHooks.openPreferences = [] { PreferencesDialog::run(windowsOwner); };
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    if (windowsOwner == this) {
        windowsOwner = nullptr;
        shellHooks.openCounter = nullptr;
        shellHooks.openGraph = nullptr;
        closeCounterWindow = nullptr;
        shellHooks.openSelectGame = nullptr;
        shellHooks.openLoggedGame = nullptr;
        shellHooks.openPileEditor = nullptr;
        shellHooks.openPreferences = nullptr;
    }
    if (started_ && !shutDown_) {
        shutDown_ = true;
        shutDownProgram();
    }
    if (&korvat::platform() == platform_.get()) setPlatform(nullptr);
}

bool MainWindow::start(const std::string& commandLine) {
    setPlatform(platform_.get());
    started_ = true;
    if (!startProgram(commandLine)) return false;
    // Centred on the screen.
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    updateChecks();
    return true;
}

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    // The help menu stands at the right end of the menu bar.
    auto* rightBar = new QMenuBar(bar);
    bar->setCornerWidget(rightBar, Qt::TopRightCorner);
    std::vector<QMenu*> open;  // the menu at each depth
    for (int i = 0; i < kMainMenuSize; ++i) {
        const MenuEntry& e = kMainMenu[i];
        open.resize(static_cast<size_t>(e.depth));
        QMenuBar* topBar = e.rightEnd ? rightBar : bar;
        if (e.kind == MenuKind::Separator) {
            if (!open.empty()) open.back()->addSeparator();
            continue;
        }
        const QString text = QString::fromLatin1(e.text);
        if (e.kind == MenuKind::Popup) {
            QMenu* menu = open.empty() ? topBar->addMenu(text) : open.back()->addMenu(text);
            open.push_back(menu);
            continue;
        }
        QAction* action = open.empty() ? topBar->addAction(text) : open.back()->addAction(text);
        const int id = e.id;
        if (id == Command::ShowAllCards || id == Command::EditMode) action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        actions_[id] = action;
    }
}

QAction* MainWindow::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::command(int id) {
    if (!runCommand(id)) {
        close();
        return;
    }
    updateChecks();
}

void MainWindow::updateChecks() {
    if (QAction* a = action(Command::ShowAllCards)) a->setChecked(korvat::table.showAllCards != 0);
    if (QAction* a = action(Command::EditMode)) a->setChecked(korvat::table.editMode != 0);
}

void MainWindow::showTableRect(int x, int y, int width, int height) {
    // Drawn at once, not when the event loop gets round to it: glides and
    // the win animation run inside one event.
    table_->repaint(x, y, width, height);
}

void MainWindow::captureMouse(bool capture) {
    if (capture)
        table_->grabMouse();
    else
        table_->releaseMouse();
}

void MainWindow::setTableCursor(const QCursor& cursor) { table_->setCursor(cursor); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (started_ && !shutDown_) {
        shutDown_ = true;
        shutDownProgram();
    }
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // While cards are carried, no menu command and no key reaches the game.
    if (carrying()) {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
                return true;
            case QEvent::WindowDeactivate:
                if (watched == this) release();
                break;
            default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace korvat::qt
