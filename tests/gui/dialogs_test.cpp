// The dialogs of the desktop program opened from the menu, offscreen, and
// driven with the keyboard and the mouse; and the rules explanation with
// the reserves blacked out on the window while its box is up.
//
// With KORVAT_DIALOG_PICTURES set to a folder, each dialog is also saved
// there as a PNG picture, as it looks when first shown.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/gamelog.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/qt/editor_dialog.h"
#include "shell/qt/help_window.h"
#include "shell/qt/logged_game_dialog.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/select_game_dialog.h"
#include "view/pictures.h"

using namespace korvat;
using korvat::qt::MainWindow;
using korvat::qt::TemplateDialog;

namespace {

// A point inside one part of a scroll bar (an arrow, a page area, the box).
QPoint partOf(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = false;
    if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

void clickPart(QScrollBar* bar, QStyle::SubControl part) {
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, partOf(bar, part));
}

// Clicks a link of a help page where it is shown, as the pointer would.
void followLink(QWidget& help, const char* href) {
    auto* browser = help.findChild<QTextBrowser*>();
    QVERIFY(browser);
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().anchorHref() != QLatin1String(href)) continue;
            QTextCursor c(browser->document());
            c.setPosition(f.position() + f.length() / 2);
            const QPoint at = browser->viewport()->mapTo(&help, browser->cursorRect(c).center());
            QTest::mouseClick(help.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
            return;
        }
    }
    QFAIL("no such link on the page");
}

void savePicture(QWidget* w, const char* name) {
    const QByteArray folder = qgetenv("KORVAT_DIALOG_PICTURES");
    if (!folder.isEmpty()) w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<std::string> captions;
    // The player's files (korvat.ini, LOG.DAT) of these runs live here.
    QTemporaryDir files;

    Pile& pile(int i) { return *pileAt(i); }
    void dealNumber(uint32_t n) {
        startGame(n);
    }
    // Runs `drive` on the modal dialog a menu command opens; a dialog that
    // `drive` leaves open is closed afterwards, and the test fails.
    template <class Dialog>
    void withDialog(int commandId, const std::function<void(Dialog&)>& drive) {
        bool reached = false, leftOpen = false;
        QTimer::singleShot(0, this, [&] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!d) return;
            reached = true;
            drive(*d);
            if (d->isVisible()) {
                leftOpen = true;
                d->done(QDialog::Rejected);
            }
        });
        window->action(commandId)->trigger();
        QVERIFY2(reached, "the dialog did not open");
        QVERIFY2(!leftOpen, "the dialog stayed open");
    }
    // The dialog's place of a control, from its dialog units.
    static void expectPlaced(TemplateDialog& d, int id) {
        const DialogControl* c = findControl(d.dialogTemplate(), id);
        QVERIFY(c && d.control(id));
        QCOMPARE(d.control(id)->geometry(), d.toPixels(c->x, c->y, c->width, c->height));
    }
    static void expectFrame(TemplateDialog& d, const char* family, int pixels, QSize units, bool closeButton = false) {
        QCOMPARE(d.font().family(), QString::fromLatin1(family));
        QCOMPARE(d.font().pixelSize(), pixels);
        // The base units follow the font: the dialog is its size in dialog units.
        const QFontMetrics m(d.font());
        QCOMPARE(d.baseUnits().height(), m.height());
        QVERIFY(d.baseUnits().width() > 3 && d.baseUnits().width() < pixels);
        QCOMPARE(d.size(), d.toPixels(0, 0, units.width(), units.height()).size());
        // The window system's menu comes with a close button.
        QCOMPARE(bool(d.windowFlags() & Qt::WindowCloseButtonHint), closeButton);
        QCOMPARE(bool(d.windowFlags() & Qt::WindowSystemMenuHint), closeButton);
        QVERIFY(d.isModal());
    }
    LogEntry& logDeal(int game, uint32_t number, const char* description) {
        selectGame(game);
        dealNumber(number);
        LogEntry& e = gameLog[static_cast<size_t>(addLogEntry())];
        std::strcpy(e.description, description);
        return e;
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        captions.clear();
        table.editMode = 0;
        window = new MainWindow();
        QVERIFY(test::startTestWindow(
            *window,
            [this](const char*, const char* caption, unsigned) {
                captions.push_back(caption);
                return IdOk;
            }));
    }

    void cleanup() {
        delete window;
        window = nullptr;
        table.editMode = 0;
    }

    void selectGameDialog() {
        dealNumber(40);
        withDialog<qt::SelectGameDialog>(Command::Select, [this](qt::SelectGameDialog& d) {
            savePicture(&d, "select-game-1400.png");
            QCOMPARE(d.windowTitle(), QStringLiteral("Select Game"));
            expectFrame(d, "Liberation Serif", 16, {132, 103});
            for (int id : {1901, 1900, 1, 2, 1500}) expectPlaced(d, id);
            for (int icon : {1107, 1105}) {
                QVERIFY(d.control(icon));
                QCOMPARE(d.control(icon)->size(), QSize(32, 32));
            }
            QCOMPARE(d.control(1107)->pos(), d.toPixels(5, 5, 0, 0).topLeft());
            QCOMPARE(d.control(1105)->pos(), d.toPixels(105, 5, 0, 0).topLeft());
            QCOMPARE(d.controlAs<QPushButton>(1901)->text(), QStringLiteral("&Down"));
            auto* number = d.controlAs<QLineEdit>(1500);
            QCOMPARE(number->text(), QStringLiteral("40"));

            for (int i = 0; i < 3; ++i) QTest::mouseClick(d.controlAs<QPushButton>(1900), Qt::LeftButton);
            QCOMPARE(gameNumber, 43u);
            QCOMPARE(number->text(), QStringLiteral("43"));
            QVERIFY(d.isVisible());
            QTest::mouseClick(d.controlAs<QPushButton>(1901), Qt::LeftButton);
            QCOMPARE(gameNumber, 42u);

            number->setFocus();
            number->selectAll();
            QTest::keyClicks(number, QStringLiteral("12abc"));
            QTest::keyClick(number, Qt::Key_Return);  // Enter is OK
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(gameNumber, 12u);
        QCOMPARE(window->windowTitle(), QStringLiteral("Klondike    Not started"));

        withDialog<qt::SelectGameDialog>(Command::Select, [](qt::SelectGameDialog& d) {
            QTest::mouseClick(d.controlAs<QPushButton>(1900), Qt::LeftButton);
            QTest::keyClick(&d, Qt::Key_Escape);  // Cancel: the deal made stays
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(gameNumber, 13u);
    }

    void loggedGameDialog() {
        logDeal(827, 5, "five");
        logDeal(901, 6, "spider");
        logDeal(827, 9, "nine").status = LogStatus::Completed;
        logDeal(827, 20, "");
        dealNumber(0);
        withDialog<qt::LoggedGameDialog>(Command::Database, [this](qt::LoggedGameDialog& d) {
            savePicture(&d, "logged-game-1405.png");
            QCOMPARE(d.windowTitle(), QStringLiteral("Select logged game"));
            expectFrame(d, "DejaVu Sans Mono", 11, {140, 103}, true);
            for (int id : {1, 1504, 1505, 1506, 1602}) expectPlaced(d, id);
            QVERIFY(d.controlAs<QLineEdit>(1504)->isReadOnly());
            QVERIFY(!d.controlAs<QLineEdit>(1505)->isReadOnly());
            auto text = [&d](int id) { return d.controlAs<QLineEdit>(id)->text(); };
            auto* bar = d.controlAs<QScrollBar>(1602);
            QCOMPARE(gameNumber, 5u);  // the unlogged deal 0 gave way to the first logged one
            QCOMPARE(text(1504), QStringLiteral("5"));
            QCOMPARE(text(1505), QStringLiteral("five"));
            QCOMPARE(text(1506), QStringLiteral("Not completed"));
            QCOMPARE(bar->maximum(), 2);

            clickPart(bar, QStyle::SC_ScrollBarAddPage);  // right of the box: the last
            QCOMPARE(gameNumber, 20u);
            QCOMPARE(text(1504), QStringLiteral("20"));
            QCOMPARE(bar->value(), 2);
            auto* description = d.controlAs<QLineEdit>(1505);
            description->setFocus();
            QTest::keyClicks(description, QStringLiteral("ABCDEFGHIJKLMNOP"));
            clickPart(bar, QStyle::SC_ScrollBarSubPage);  // left of the box: the first
            QCOMPARE(gameNumber, 5u);
            QCOMPARE(text(1505), QStringLiteral("five"));
            clickPart(bar, QStyle::SC_ScrollBarAddLine);  // the right arrow
            QCOMPARE(gameNumber, 9u);
            QCOMPARE(text(1506), QStringLiteral("Completed"));
            clickPart(bar, QStyle::SC_ScrollBarAddLine);
            QCOMPARE(text(1505), QStringLiteral("ABCDEFGHIJKLMN"));
            // Dragging the box back to the start deals as it goes.
            const QPoint box = partOf(bar, QStyle::SC_ScrollBarSlider);
            QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, box);
            QTest::mouseMove(bar, QPoint(2, box.y()));
            QCOMPARE(gameNumber, 5u);
            QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(2, box.y()));
            QCOMPARE(bar->value(), 0);
            description->setFocus();
            description->selectAll();
            QTest::keyClicks(description, QStringLiteral("renamed"));
            QTest::mouseClick(d.controlAs<QPushButton>(1), Qt::LeftButton);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(gameNumber, 5u);
        QCOMPARE(std::string(gameLog[0].description), std::string("renamed"));
        QCOMPARE(std::string(gameLog[3].description), std::string("ABCDEFGHIJKLMN"));
        // Escape and the close button close it as OK does, keeping what was typed.
        for (const char* typed : {"by escape", "by close"}) {
            withDialog<qt::LoggedGameDialog>(Command::Database, [typed](qt::LoggedGameDialog& d) {
                auto* description = d.controlAs<QLineEdit>(1505);
                description->setFocus();
                description->selectAll();
                QTest::keyClicks(description, QString::fromLatin1(typed));
                if (std::string(typed) == "by escape")
                    QTest::keyClick(description, Qt::Key_Escape);
                else
                    d.windowHandle()->close();
                QVERIFY(!d.isVisible());
            });
            QCOMPARE(std::string(gameLog[0].description), std::string(typed));
        }

        selectGame(833);
        window->action(Command::Database)->trigger();
        QCOMPARE(captions.back(), std::string("NONE YET."));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void pileEditorDialog() {
        dealNumber(31);
        QTest::keyClick(&window->table(), Qt::Key_Tab);
        QCOMPARE(editPile, 0);  // not in edit mode
        window->action(Command::EditMode)->trigger();
        QVERIFY(window->action(Command::EditMode)->isChecked());
        for (int i = 0; i < 4; ++i) QTest::keyClick(&window->table(), Qt::Key_Tab);
        QCOMPARE(editPile, 4);
        withDialog<qt::PileEditorDialog>(Command::EditPile, [this](qt::PileEditorDialog& d) {
            savePicture(&d, "pile-editor-1406.png");
            QCOMPARE(d.windowTitle(), QStringLiteral("Korvat game editor"));
            expectFrame(d, "DejaVu Sans", 11, {283, 231});
            for (int id : {1, 2000, 1501, 1502, 1503, 1600, 1601, 2001, 2027, 2028, 2057}) expectPlaced(d, id);
            auto radio = [&d](int id) { return d.controlAs<QRadioButton>(id); };
            QVERIFY(radio(2053)->isChecked());  // "Any" king
            QVERIFY(radio(2008)->isChecked());  // "Down in diff. color."
            QVERIFY(radio(2011)->isChecked());  // "Build down."
            QVERIFY(radio(2020)->isChecked());  // "Diff. color."
            QVERIFY(radio(2024)->isChecked());  // "Any amount."
            QCOMPARE(radio(2057)->text(), QStringLiteral("D"));
            QCOMPARE(d.controlAs<QLineEdit>(1501)->text(), QStringLiteral("1"));
            QCOMPARE(d.controlAs<QLineEdit>(1502)->text(), QStringLiteral("0"));

            QTest::mouseClick(radio(2012), Qt::LeftButton);  // "Build up."
            QVERIFY(radio(2012)->isChecked());
            QVERIFY(!radio(2011)->isChecked());
            QCOMPARE(pileAt(4)->rankBuild, RankBuild::Up);  // at once
            QTest::mouseClick(radio(2057), Qt::LeftButton);
            QVERIFY(!radio(2053)->isChecked());
            QCOMPARE(pileAt(4)->startCard, 51);

            auto* faceDown = d.controlAs<QScrollBar>(1600);
            clickPart(faceDown, QStyle::SC_ScrollBarAddPage);
            QCOMPARE(pileAt(4)->faceDownCount, 1);
            QCOMPARE(d.controlAs<QLineEdit>(1502)->text(), QStringLiteral("1"));
            auto* limit = d.controlAs<QScrollBar>(1601);
            clickPart(limit, QStyle::SC_ScrollBarAddPage);
            QCOMPARE(d.controlAs<QLineEdit>(1503)->text(), QStringLiteral("51"));
            clickPart(limit, QStyle::SC_ScrollBarAddLine);
            QCOMPARE(pileAt(4)->sizeLimit, 51);
            clickPart(limit, QStyle::SC_ScrollBarSubLine);
            QCOMPARE(pileAt(4)->sizeLimit, 50);
            QCOMPARE(limit->value(), 50);

            QTest::keyClick(&d, Qt::Key_Escape);
            QVERIFY2(d.isVisible(), "Escape closes nothing");
            QTest::mouseClick(d.controlAs<QPushButton>(2000), Qt::LeftButton);
            QVERIFY(qt::HelpWindow::instance());
            QCOMPARE(qt::HelpWindow::instance()->shownPage(), QStringLiteral("korvat.hlp#2"));
            QVERIFY(d.isVisible());
            // The help can be followed and scrolled while the editor is up:
            // the clicks and keys go through the window system, which holds
            // back input from windows a modal dialog blocks.
            qt::HelpWindow& help = *qt::HelpWindow::instance();
            QVERIFY(QTest::qWaitForWindowExposed(&help));
            followLink(help, "help:korvat.hlp#1");
            QCOMPARE(help.shownPage(), QStringLiteral("korvat.hlp#1"));
            auto* browser = help.findChild<QTextBrowser*>();
            QCOMPARE(browser->verticalScrollBar()->value(), 0);
            QTest::keyClick(help.windowHandle(), Qt::Key_End);
            QVERIFY(browser->verticalScrollBar()->value() > 0);
            QVERIFY(d.isVisible());
            // The main window stays held while the editor is open.
            QTest::keyClick(window->windowHandle(), Qt::Key_PageUp);
            QCOMPARE(gameNumber, 31u);
            QTest::mouseClick(d.controlAs<QPushButton>(1), Qt::LeftButton);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(gameNumber, 31u);
        QCOMPARE(pileAt(4)->count, 1);
        QCOMPARE(pileAt(4)->top->faceDown, kFaceDown);
        QCOMPARE(pileAt(4)->rankBuild, RankBuild::Up);
        window->action(Command::EditMode)->trigger();
        QVERIFY(!window->action(Command::EditMode)->isChecked());
        window->action(Command::EditPile)->trigger();
        QCOMPARE(captions.back(), std::string("NOT IN EDIT MODE."));
    }

    void reservesAreBlackWhileTheRulesAreShown() {
        dealNumber(0);
        pile(5).flags |= PileFlags::reserve;
        pile(4).flags |= PileFlags::waitReservesToPlay;
        auto shown = [](const Card& c) {
            const Surface& s = view::windowSurface;
            return s.pixels[static_cast<size_t>((c.y + 40) * s.width + c.x + 32)];
        };
        std::vector<uint32_t> whileUp;
        window->platform().messageHook = [&](const char*, const char* caption, unsigned) {
            captions.push_back(caption);
            whileUp = {shown(*pile(5).top), shown(*pile(6).top)};
            return IdOk;
        };
        const QPoint at(pile(4).top->x + 32, pile(4).top->y + 40);
        QTest::mouseClick(&window->table(), Qt::RightButton, Qt::NoModifier, at);
        QCOMPARE(captions.back(), std::string("THIS IS A TABLEAU"));
        QCOMPARE(whileUp.size(), size_t(2));
        QCOMPARE(whileUp[0], 0u);  // the reserve
        QVERIFY(whileUp[1] != 0u);  // not a reserve
        QVERIFY(shown(*pile(5).top) != 0u);  // drawn again after the box
        QCOMPARE(table.darkenReserves, 0);
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
