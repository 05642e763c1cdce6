#include "shell/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/drawing.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/card_moves.h"
#include "play/keyboard.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/preferences_dialog.h"
#include "shell/program.h"
#include "shell/qt/counter_window.h"
#include "shell/qt/editor_dialog.h"
#include "shell/qt/game_chooser.h"
#include "shell/qt/graph_window.h"
#include "shell/qt/help_window.h"
#include "shell/qt/logged_game_dialog.h"
#include "shell/qt/preferences_dialog.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/select_game_dialog.h"
#include "shell/qt/statistics_dialog.h"
#include "shell/qt/status_bar.h"
#include "art/view_art.h"
#include "view/pictures.h"
#include "view/scaled_pictures.h"
#include "view/table_drawing.h"

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

// The keys of keyboard play, without modifiers; 0 for any other.
int playKeyCode(const QKeyEvent& event) {
    if (event.modifiers() & ~Qt::KeypadModifier) return 0;
    switch (event.key()) {
        case Qt::Key_Left: return PlayKey::Left;
        case Qt::Key_Right: return PlayKey::Right;
        case Qt::Key_Up: return PlayKey::Up;
        case Qt::Key_Down: return PlayKey::Down;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter: return PlayKey::Press;
        case Qt::Key_Escape: return PlayKey::Cancel;
        default: return 0;
    }
}

// The main window that owns the card counter and graph windows the shell opens.
MainWindow* windowsOwner = nullptr;

int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The colour of the table around the picture when the window's proportions
// are not the table's: the mean colour of the background the table is
// tiled with. The back picture holds the sixteen 64 x 64 backgrounds from
// (0, 0), eight to a row, and the 216 x 64 win tile at (182, 128).
QColor tableColour() {
    const Surface& back = view::backPicture;
    int x = 182, y = 128, w = 216, h = 64;
    if (!korvat::table.won) {
        const int which = prefs.TableBack & 15;
        x = (which % 8) * 64, y = (which / 8) * 64, w = 64, h = 64;
    }
    if (back.width < x + w || back.height < y + h) return Qt::black;
    uint64_t red = 0, green = 0, blue = 0;
    for (int j = 0; j < h; ++j) {
        const uint32_t* row = back.row(y + j) + x;
        for (int i = 0; i < w; ++i) {
            red += (row[i] >> 16) & 0xFF, green += (row[i] >> 8) & 0xFF, blue += row[i] & 0xFF;
        }
    }
    const uint64_t n = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    return QColor(static_cast<int>(red / n), static_cast<int>(green / n), static_cast<int>(blue / n));
}

// korvat.ini: the window's place, kept apart from the preferences.
constexpr const char* kPlaceSection = "Window";
// No screen is this many pixels from the origin or this large.
constexpr int kFarthest = 1 << 20;
bool plausiblePlace(int v) { return v >= -kFarthest && v <= kFarthest; }
bool plausibleSize(int v) { return v > 0 && v <= kFarthest; }

}  // namespace

TableFit TableFit::of(QSize widgetSize, double devicePixelRatio) {
    TableFit f;
    f.ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int64_t w = std::max<int64_t>(1, std::llround(widgetSize.width() * f.ratio));
    const int64_t h = std::max<int64_t>(1, std::llround(widgetSize.height() * f.ratio));
    if (w * kClientHeight <= h * kClientWidth) {
        f.width = static_cast<int>(w);
        f.height = static_cast<int>(std::max<int64_t>(1, (w * kClientHeight + kClientWidth / 2) / kClientWidth));
    } else {
        f.height = static_cast<int>(h);
        f.width = static_cast<int>(std::max<int64_t>(1, (h * kClientWidth + kClientHeight / 2) / kClientHeight));
    }
    f.x = static_cast<int>((w - f.width) / 2);
    f.y = static_cast<int>((h - f.height) / 2);
    return f;
}

QPoint TableFit::toTable(QPointF widgetPoint) const {
    // To the nearest device pixel first, as the pointer was always read;
    // then the table pixel under that device pixel's middle.
    const QPoint d = (widgetPoint * ratio).toPoint();
    return QPoint(static_cast<int>(floorDiv((2 * (int64_t{d.x()} - x) + 1) * kClientWidth, 2 * int64_t{width})),
                  static_cast<int>(floorDiv((2 * (int64_t{d.y()} - y) + 1) * kClientHeight, 2 * int64_t{height})));
}

QPointF TableFit::toWidget(QPoint tablePixel) const {
    // The device pixel under the middle of the table pixel.
    const int64_t dx = x + floorDiv((2 * int64_t{tablePixel.x()} + 1) * width, 2 * kClientWidth);
    const int64_t dy = y + floorDiv((2 * int64_t{tablePixel.y()} + 1) * height, 2 * kClientHeight);
    return QPointF(static_cast<double>(dx) / ratio, static_cast<double>(dy) / ratio);
}

QRect TableFit::widgetRect(const QRect& tableRect) const {
    // Where the picture at this size draws those table pixels; a card may
    // reach a pixel past where the next table pixel begins.
    const view::TableScale scale{width, height};
    const int past = scale.unit() ? 0 : 1;
    const int left = scale.x(tableRect.x()), top = scale.y(tableRect.y());
    const int right = scale.x(int64_t{tableRect.x()} + tableRect.width()) + past;
    const int bottom = scale.y(int64_t{tableRect.y()} + tableRect.height()) + past;
    return pictureRect(QRect(left, top, right - left, bottom - top));
}

QRect TableFit::pictureRect(const QRect& picturePixels) const {
    const int64_t left = int64_t{x} + picturePixels.x(), top = int64_t{y} + picturePixels.y();
    const int64_t right = left + picturePixels.width(), bottom = top + picturePixels.height();
    const int l = static_cast<int>(std::floor(static_cast<double>(left) / ratio));
    const int t = static_cast<int>(std::floor(static_cast<double>(top) / ratio));
    const int r = static_cast<int>(std::ceil(static_cast<double>(right) / ratio));
    const int b = static_cast<int>(std::ceil(static_cast<double>(bottom) / ratio));
    return QRect(l, t, r - l, b - t);
}

QRectF TableFit::target() const { return QRectF(x / ratio, y / ratio, width / ratio, height / ratio); }

TableWidget::TableWidget(QWidget* parent) : QWidget(parent) {
    // Never smaller than the whole table pixel for pixel.
    setMinimumSize(kClientWidth, kClientHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // moves while carrying arrive whether or not the pointer is grabbed
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { update(); });
}

QSize TableWidget::sizeHint() const { return QSize(kClientWidth, kClientHeight); }

TableFit TableWidget::fit() const { return TableFit::of(size(), devicePixelRatioF()); }

void TableWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const TableFit f = fit();
    // The table composed at the size it is shown, once for each size; not
    // at every step of a resize, which would make every picture anew each
    // time: until the size has settled the table composed before is scaled.
    if (!view::windowSurface.pixels.empty() && !settling() &&
        (view::windowSurface.width != f.width || view::windowSurface.height != f.height))
        view::redrawAtSize(f.width, f.height);
    QImage image = surfaceImage();
    if (image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const QRectF target = f.target();
    const QRect area = event->rect();
    if (!target.contains(QRectF(area))) paintMargins(painter, target, area);
    if (image.width() == f.width && image.height() == f.height) {
        // Pixel for pixel: a device pixel of the screen for each pixel of the picture.
        image.setDevicePixelRatio(f.ratio);
        painter.drawImage(target.topLeft(), image);
    } else {
        // The size is settling, or there is no memory for the picture at
        // this size: the one there is, scaled.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(target, image);
    }
    reportFirstTable();
}

void TableWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The first table is composed at the window's first size at once.
    if (shown_) settle_.start();
}

void TableWidget::paintMargins(QPainter& painter, const QRectF& target, const QRect& area) {
    const QColor colour = tableColour();
    const QRectF all(QRectF(rect()).intersected(QRectF(area)));
    for (const QRectF& margin :
         {QRectF(0, 0, target.left(), height()), QRectF(target.right(), 0, width() - target.right(), height()),
          QRectF(target.left(), 0, target.width(), target.top()),
          QRectF(target.left(), target.bottom(), target.width(), height() - target.bottom())}) {
        const QRectF part = margin.intersected(all);
        if (!part.isEmpty()) painter.fillRect(part, colour);
    }
}

void TableWidget::reportFirstTable() {
    if (shown_ || !isVisible()) return;
    shown_ = true;
    emit firstTableShown();
    // The start-up measurement: with KORVAT_STARTUP_PROBE set, the program
    // prints the wall clock when the first table is on the shown window,
    // then quits (and with KORVAT_STARTUP_PROBE=stay it keeps running).
    static bool reported = false;
    if (reported) return;
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
    mouseUsed();
    const QPoint p = fit().toTable(event->position());
    if (event->button() == Qt::LeftButton)
        pressAt(p.x(), p.y());
    else if (event->button() == Qt::RightButton)
        rightPressAt(p.x(), p.y());
}

void TableWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click on a card that can go home sends
    // it there; any other is a press like the first.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    mouseUsed();
    const QPoint p = fit().toTable(event->position());
    doubleClickAt(p.x(), p.y());
}

void TableWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!carrying()) return;
    const QPoint p = fit().toTable(event->position());
    dragTo(p.x(), p.y());
}

void TableWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) release();
}

void TableWidget::keyPressEvent(QKeyEvent* event) {
    if (keyboardPlay(playKeyCode(*event))) return;
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
    connect(table_, &TableWidget::firstTableShown, platform_.get(), &QtPlatform::tableOnScreen);
    setStatusBar(new SolverBar(this));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    qApp->installEventFilter(this);
    windowsOwner = this;
    shellHooks.openCounter = [] { CounterWindow::open(windowsOwner); };
    shellHooks.openGraph = [] { GraphWindow::open(windowsOwner); };
    closeCounterWindow = CounterWindow::closeWindow;
    shellHooks.openSelectGame = [] { SelectGameDialog::run(windowsOwner); };
    shellHooks.openLoggedGame = [] { LoggedGameDialog::run(windowsOwner); };
    shellHooks.openPileEditor = [] { PileEditorDialog::run(windowsOwner); };
    shellHooks.openPreferences = [] { PreferencesDialog::run(windowsOwner); };
    shellHooks.chooseGame = [] { return GameChooser::run(windowsOwner); };
    shellHooks.openStatistics = [] { StatisticsDialog::run(windowsOwner); };
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
        shellHooks.chooseGame = nullptr;
        shellHooks.openStatistics = nullptr;
    }
    shutDown();
    if (&korvat::platform() == platform_.get()) setPlatform(nullptr);
}

void MainWindow::shutDown() {
    if (!started_ || shutDown_) return;
    shutDown_ = true;
    shutDownProgram();
    // After the preferences, so that a new korvat.ini begins with them.
    savePlace();
}

bool MainWindow::start(const std::string& commandLine) {
    setPlatform(platform_.get());
    started_ = true;
    // At any size but the first the table draws the program's own pictures anew.
    art::installInTableDrawing();
    if (!startProgram(commandLine)) return false;
    placeWindow();
    updateChecks();
    table_->setFocus(Qt::OtherFocusReason);  // the first keys go to the table
    return true;
}

void MainWindow::placeWindow() {
    // The first size: the table pixel for pixel under the menu bar.
    adjustSize();
    layout()->activate();
    around_ = size() - table_->size();
    Platform& ini = *platform_;
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect home = primary ? primary->availableGeometry() : QRect(QPoint(0, 0), size());
    // The window's size with the table's as left, within what a screen shows.
    const QSize least = table_->minimumSize();
    auto sizeOn = [&](const QRect& area, const QSize& tableSize) {
        const QSize most = (area.size() - around_).expandedTo(least);
        return tableSize.expandedTo(least).boundedTo(most) + around_;
    };
    // Every value is checked before it is used: one that could not place the
    // window on a screen gives the first size or the default place (centred
    // on the main screen), and what the window then has is written at the end.
    const QSize first = table_->size();
    const int w = ini.iniReadInt(kPlaceSection, "Width", first.width());
    const int h = ini.iniReadInt(kPlaceSection, "Height", first.height());
    const QSize tableSize = plausibleSize(w) && plausibleSize(h) ? QSize(w, h) : first;
    resize(sizeOn(home, tableSize));
    // Places are of the frame, which the window system adds around the window.
    if (!windowHandle()) create();
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    auto frameSize = [&] { return size().grownBy(margins); };
    const QPoint centred(home.x() + (home.width() - width()) / 2, home.y() + (home.height() - height()) / 2);
    const int left = ini.iniReadInt(kPlaceSection, "Left", centred.x());
    const int top = ini.iniReadInt(kPlaceSection, "Top", centred.y());
    QPoint place = centred;
    if (plausiblePlace(left) && plausiblePlace(top)) {
        // The screen that would show most of the window opens it, wholly on
        // that screen as far as it fits: its top left corner first.
        QScreen* best = nullptr;
        int64_t most = 0;
        for (QScreen* screen : QGuiApplication::screens()) {
            const QRect common = screen->availableGeometry().intersected(QRect(QPoint(left, top), frameSize()));
            const int64_t shown = common.isEmpty() ? 0 : int64_t{common.width()} * common.height();
            if (shown > most) best = screen, most = shown;
        }
        if (best) {
            const QRect area = best->availableGeometry();
            if (best != primary) resize(sizeOn(area, tableSize));
            place = QPoint(std::max(area.left(), std::min(left, area.right() + 1 - frameSize().width())),
                           std::max(area.top(), std::min(top, area.bottom() + 1 - frameSize().height())));
        }
    }
    move(place);
    if (ini.iniReadInt(kPlaceSection, "Maximized", 0) != 0) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::savePlace() {
    if (!windowHandle()) return;  // never shown: nothing was left anywhere
    // The normal size and place, also while maximized; places are of the
    // frame, as move() takes them.
    const bool maximized = isMaximized();
    const QRect normal = maximized && normalGeometry().isValid() ? normalGeometry() : geometry();
    const QPoint place = normal.topLeft() - (geometry().topLeft() - frameGeometry().topLeft());
    const QSize tableSize = normal.size() - (size() - table_->size());
    const int values[] = {place.x(), place.y(), tableSize.width(), tableSize.height(), maximized ? 1 : 0};
    const char* const keys[] = {"Left", "Top", "Width", "Height", "Maximized"};
    std::vector<std::pair<std::string, std::string>> written;
    for (size_t i = 0; i < std::size(keys); ++i) written.emplace_back(keys[i], std::to_string(values[i]));
    platform_->iniWriteStrings(kPlaceSection, written);
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
    // The keys: a menu shows the first beside its item; the commands on the
    // menu bar itself name theirs in their tool tips.
    for (int i = 0; i < kMenuKeysSize; ++i) {
        QAction* a = action(kMenuKeys[i].id);
        if (!a) continue;
        QList<QKeySequence> keys;
        for (const char* k : kMenuKeys[i].keys)
            if (k) keys.append(QKeySequence(QString::fromLatin1(k), QKeySequence::PortableText));
        a->setShortcuts(keys);
        QString tip = a->text().remove(QLatin1Char('&'));
        tip += QStringLiteral(" (") + keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')');
        a->setToolTip(tip);
    }
}

QAction* MainWindow::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::command(int id) {
    // Undo or Redo keys that came while an Undo or Redo before them played
    // take their actions back (or make them again) without the glides, so
    // that the table catches up with the keys; one Undo on its own glides.
    glidesCut = (id == Command::Undo || id == Command::Redo) && keyWaited();
    const bool goOn = runCommand(id);
    glidesCut = false;
    keyNoted_ = false;
    commandEnded_ = inputClock_.elapsed();
    if (!goOn) {
        close();
        return;
    }
    updateChecks();
}

void MainWindow::noteKey(const QEvent& event) {
    const quint64 stamp = static_cast<const QKeyEvent&>(event).timestamp();
    if (stamp == 0) return;  // made up by the program, not pressed
    if (!inputClock_.isValid()) inputClock_.start();
    const qint64 offset = inputClock_.elapsed() - static_cast<qint64>(stamp);
    // A clock that went back (or the first key) starts the offset afresh.
    if (stamp < lastStamp_ || lastStamp_ == 0 || offset < stampOffset_) stampOffset_ = offset;
    lastStamp_ = stamp;
    keyNoted_ = true;
}

bool MainWindow::keyWaited() const {
    return keyNoted_ && commandEnded_ >= 0 && static_cast<qint64>(lastStamp_) + stampOffset_ < commandEnded_;
}

void MainWindow::updateChecks() {
    if (QAction* a = action(Command::ShowAllCards)) a->setChecked(korvat::table.showAllCards != 0);
    if (QAction* a = action(Command::EditMode)) a->setChecked(korvat::table.editMode != 0);
}

void MainWindow::showTableRect(int x, int y, int width, int height) {
    // Drawn at once, not when the event loop gets round to it: glides and
    // the win animation run inside one event. The whole table brings the
    // margins with it, whose colour follows the table's background.
    const Surface& shown = view::windowSurface;
    const TableFit f = table_->fit();
    if ((x <= 0 && y <= 0 && x + width >= shown.width && y + height >= shown.height) || shown.width != f.width ||
        shown.height != f.height)  // the table at the size before, scaled to fill the table's place
        table_->repaint();
    else
        table_->repaint(f.pictureRect(QRect(x, y, width, height)));
}

void MainWindow::captureMouse(bool capture) {
    if (capture)
        table_->grabMouse();
    else
        table_->releaseMouse();
}

void MainWindow::setTableCursor(const QCursor& cursor) { table_->setCursor(cursor); }

bool MainWindow::event(QEvent* event) {
    // A message box or dialog that held the window has gone. The window
    // system need not give the keys back to this window: without them the
    // menus' keys do nothing and the keys meant for the table go elsewhere.
    if (event->type() == QEvent::WindowUnblocked && isVisible()) {
        activateWindow();
        table_->setFocus(Qt::OtherFocusReason);
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The help window stands on its own (so that it stays usable while a
    // dialog holds the main window), and goes with the main window.
    if (HelpWindow* help = HelpWindow::instance()) help->close();
    shutDown();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A menu's key reaches its command as a shortcut, after this; a key the
    // menus do not take, or the mouse, gives no command the time of a key.
    if (event->type() == QEvent::ShortcutOverride)
        noteKey(*event);
    else if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
        keyNoted_ = false;
    // While cards are carried, no menu command and no key reaches the game,
    // but for the keys that carry them to the table.
    if (carrying()) {
        const bool mine = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
        switch (event->type()) {
            case QEvent::KeyPress: {
                const int key = playKeyCode(*static_cast<QKeyEvent*>(event));
                // Escape puts carried cards back, however they are carried.
                if (key == PlayKey::Cancel && !carryingByKeys()) {
                    putBack();
                    return true;
                }
                if (!carryingByKeys()) return true;
                // The keys that carry the cards go to the table, wherever
                // the focus is in the window.
                if (mine && watched != table_) {
                    if (key) keyboardPlay(key);
                    return true;
                }
                break;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                // A press anywhere in the window puts back what the keys carry.
                if (mine && watched != table_ && carryingByKeys()) mouseUsed();
                break;
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
                return true;
            case QEvent::WindowDeactivate:
                if (watched == this) release();
                break;
            default: break;
        }
    }
    // The menu bar shows no tool tips of its own: its commands with keys
    // name them when the pointer rests on them.
    if (event->type() == QEvent::ToolTip && watched == menuBar()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QAction* a = menuBar()->actionAt(help->pos());
        if (a && !a->shortcut().isEmpty()) {
            QToolTip::showText(help->globalPos(), a->toolTip(), menuBar());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace korvat::qt
