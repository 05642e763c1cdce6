#include "shell/qt/help_window.h"

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/help.h"

namespace korvat::qt {

namespace {
QPointer<HelpWindow> theWindow;
}

HelpWindow::HelpWindow() : QDialog(nullptr) {
    setWindowTitle(QStringLiteral("Korvat Help"));
    setModal(false);
    // A window of its own, like a help viewer beside the program: a dialog
    // that holds the main window (the pile editor, whose Help button opens
    // this) leaves it free to be read, scrolled and followed. The program
    // ends when the main window closes, whether or not this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(560, 520);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);
    layout->addWidget(browser_);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        // Links read "help:BOOK#CONTEXT".
        if (url.scheme() == QLatin1String("help")) show(url.path().toStdString(), url.fragment().toInt());
    });
}

HelpWindow* HelpWindow::instance() { return theWindow.data(); }

void HelpWindow::open(QWidget* owner, const std::string& book, int context) {
    if (!theWindow) {
        theWindow = new HelpWindow();
        // It lives as long as the window it was opened for.
        if (owner) QObject::connect(owner, &QObject::destroyed, theWindow.data(), [] { delete theWindow.data(); });
    }
    theWindow->show(book, context);
    theWindow->QDialog::show();
    theWindow->raise();
}

void HelpWindow::show(const std::string& book, int context) {
    page_ = QString::fromStdString(book) + QLatin1Char('#') + QString::number(context);
    browser_->setHtml(QString::fromUtf8(helpPage(book, context).c_str()));
}

}  // namespace korvat::qt
