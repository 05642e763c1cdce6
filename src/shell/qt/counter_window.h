// The card counter window: the counter's grid under a menu with one item,
// "Count stock". At most one is open; while it is, every repaint of the
// table refreshes it.
#pragma once

#include <QWidget>

#include "view/surface.h"

class QAction;

namespace korvat::qt {

// The 182 x 64 client area: shows the counter as last drawn.
class CounterView final : public QWidget {
    Q_OBJECT
public:
    explicit CounterView(QWidget* parent);
    // Draws the counter and shows it at once.
    void refresh();
    const Surface& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Surface surface_;
};

class CounterWindow final : public QWidget {
    Q_OBJECT
public:
    // Command id of the menu item "&Count stock".
    static constexpr int kCountStockCommand = 403;

    // Creates and shows the window, owned by `owner`, unless it is open.
    static void open(QWidget* owner);
    // Destroys the window if it is open.
    static void closeWindow();
    // The open window, or null.
    static CounterWindow* instance();

    QAction* countStockAction() const { return countStock_; }
    CounterView& view() const { return *view_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit CounterWindow(QWidget* owner);
    ~CounterWindow() override;
    // The window is gone for the program: the table stops refreshing it.
    void detach();
    void toggleCountStock();

    CounterView* view_ = nullptr;
    QAction* countStock_ = nullptr;
    bool attached_ = false;
};

}  // namespace korvat::qt
