// The main window: the menu bar over the 640 x 480 table. Its title is the
// status line.
#pragma once

#include <QMainWindow>
#include <QWidget>
#include <map>
#include <memory>

class QAction;
class QImage;

namespace korvat::qt {

class QtPlatform;

// The table: shows the window surface and routes the pointer and the keys.
class TableWidget final : public QWidget {
    Q_OBJECT
public:
    explicit TableWidget(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void reportFirstTable();
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

    void showTableRect(int x, int y, int width, int height);
    void captureMouse(bool capture);
    void setTableCursor(const QCursor& cursor);
    // Runs a menu command and brings the check marks up to date.
    void command(int id);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void updateChecks();

    TableWidget* table_ = nullptr;
    std::unique_ptr<QtPlatform> platform_;
    std::map<int, QAction*> actions_;
    bool started_ = false;
    bool shutDown_ = false;
};

}  // namespace korvat::qt
