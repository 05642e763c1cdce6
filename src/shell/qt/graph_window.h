// The completion graph window: 474 x 235, drawn whenever it is exposed.
// At most one is open.
#pragma once

#include <QWidget>

#include "view/surface.h"

namespace korvat::qt {

class GraphWindow final : public QWidget {
    Q_OBJECT
public:
    // Creates and shows the window, owned by `owner`, unless it is open.
    static void open(QWidget* owner);
    // The open window, or null.
    static GraphWindow* instance();
    // The client area as last drawn.
    const Surface& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    explicit GraphWindow(QWidget* owner);
    ~GraphWindow() override;
    void detach();

    Surface surface_;
    bool attached_ = false;
};

}  // namespace korvat::qt
