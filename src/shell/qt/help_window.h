// The help window: pages generated from the catalogue, opened at a book
// and a context number.
#pragma once

#include <QDialog>
#include <string>

class QTextBrowser;

namespace korvat::qt {

class HelpWindow final : public QDialog {
    Q_OBJECT
public:
    // Shows the page, opening the window if it is not open; does not wait.
    // The window is not owned by `owner` but closes when it is destroyed.
    static void open(QWidget* owner, const std::string& book, int context);
    static HelpWindow* instance();
    QString shownPage() const { return page_; }

private:
    HelpWindow();
    void show(const std::string& book, int context);

    QTextBrowser* browser_ = nullptr;
    QString page_;
};

}  // namespace korvat::qt
