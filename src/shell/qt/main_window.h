// The main window: the menu bar over the table. Its title is the status
// line. The table is 640 x 480 table pixels, composed at the size it is
// shown: pixel for pixel at the window's first size, and drawn anew at
// any other size to fill the window.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointF>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <map>
#include <memory>

class QAction;
class QImage;

namespace korvat::qt {

class QtPlatform;

// Where the table lies in the table widget: as large as the widget allows
// with the table's proportions, centred, in device pixels (a widget pixel
// is `ratio` device pixels across). The table is composed at that size, so
// its picture (the window surface) is shown pixel for pixel. Everything
// the play sees is in table pixels; this maps between the two.
struct TableFit {
    int x = 0, y = 0;                // the picture's top left corner
    int width = 640, height = 480;   // its size on the screen
    double ratio = 1.0;

    static TableFit of(QSize widgetSize, double devicePixelRatio);
    // The table pixel under a point of the widget. Points outside the
    // picture give coordinates outside 0..639 and 0..479, signed.
    QPoint toTable(QPointF widgetPoint) const;
    // The point of the widget on the device pixel under the middle of a
    // table pixel.
    QPointF toWidget(QPoint tablePixel) const;
    // The part of the widget that shows a rectangle of the table.
    QRect widgetRect(const QRect& tableRect) const;
    // The part of the widget that shows a rectangle of the picture.
    QRect pictureRect(const QRect& picturePixels) const;
    // The picture's place in widget pixels.
    QRectF target() const;
};

// The table: shows the window surface and routes the pointer and the keys.
class TableWidget final : public QWidget {
    Q_OBJECT
public:
    explicit TableWidget(QWidget* parent);

    TableFit fit() const;
    QSize sizeHint() const override;
    // While the window's size is changing (and for kSettleMs after its last
    // change) the table shown is the one composed at the size before,
    // scaled; then it is composed at the size it is shown.
    bool settling() const { return settle_.isActive(); }
    static constexpr int kSettleMs = 100;

signals:
    // The first table is on the screen: what the start has left for later
    // (the sound players, the first search) may begin.
    void firstTableShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void reportFirstTable();
    void paintMargins(QPainter& painter, const QRectF& target, const QRect& area);

    bool shown_ = false;
    QTimer settle_;
};

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    // Window creation: false after a fatal error.
    bool start(const std::string& commandLine);

    TableWidget& table() { return *table_; }
    QtPlatform& platform() { return *platform_; }
    // The menu action of a command id, or null.
    QAction* action(int id) const;

    // Shows a rectangle of the table's picture (in its pixels) at once.
    void showTableRect(int x, int y, int width, int height);
    void captureMouse(bool capture);
    void setTableCursor(const QCursor& cursor);
    // Runs a menu command and brings the check marks up to date.
    void command(int id);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void updateChecks();
    // The window's size and place: as the player left them (korvat.ini,
    // section "Window"), else the first size, centred.
    void placeWindow();
    void savePlace();
    void shutDown();
    // Notes when the key now being handled was pressed, by its time stamp.
    void noteKey(const QEvent& event);
    // The key that gave the command now run was pressed while the command
    // before it still ran: it waited in the queue.
    bool keyWaited() const;

    TableWidget* table_ = nullptr;
    std::unique_ptr<QtPlatform> platform_;
    std::map<int, QAction*> actions_;
    bool started_ = false;
    bool shutDown_ = false;
    // Width and height the menu bar adds to the table.
    QSize around_;
    // Key time stamps (the window system's clock, in milliseconds) against
    // this clock: the least difference seen between the two is taken as
    // their offset, so a key's press is placed no earlier than it was.
    QElapsedTimer inputClock_;
    qint64 stampOffset_ = 0;
    quint64 lastStamp_ = 0;
    bool keyNoted_ = false;     // for the command now run, until it ends
    qint64 commandEnded_ = -1;  // on inputClock_, when the last command ended
};

}  // namespace korvat::qt
