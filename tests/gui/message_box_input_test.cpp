// Keys and clicks that come while a message box opens or closes, sent
// through the window system offscreen: whatever they do, the table is left
// in a state the player can leave with the keys and the mouse.
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/game.h"
#include "play/keyboard.h"
#include "play/pointer.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform.h"
#include "shell/qt/status_bar.h"

using namespace korvat;
using korvat::qt::MainWindow;

class MessageBoxInputTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    QTemporaryDir files;

    QWindow* win() { return window->windowHandle(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(win(), k, m); }
    QPoint inWindow(QPoint tablePoint) {
        return window->table().mapTo(window, window->table().fit().toWidget(tablePoint).toPoint());
    }
    QPoint onCard(int pile) {
        const Pile& p = *pileAt(pile);
        const Card* c = p.top;
        return inWindow(c ? QPoint(c->x + 5, c->y + 5) : QPoint(p.x + 5, p.y + 5));
    }
    QPoint emptyTable() { return inWindow({600, 470}); }

    // What may come: a key, a click, or a press whose release never comes.
    struct Input {
        const char* name;
        std::function<void(MessageBoxInputTest&)> send;
    };
    static std::vector<Input> inputs() {
        auto keyInput = [](const char* name, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            return Input{name, [k, m](MessageBoxInputTest& t) { t.key(k, m); }};
        };
        auto mouse = [](const char* name, bool release, bool onCard) {
            return Input{name, [release, onCard](MessageBoxInputTest& t) {
                             const QPoint at = onCard ? t.onCard(10) : t.emptyTable();
                             QTest::mousePress(t.win(), Qt::LeftButton, Qt::NoModifier, at);
                             if (release) QTest::mouseRelease(t.win(), Qt::LeftButton, Qt::NoModifier, at);
                         }};
        };
        return {keyInput("Return", Qt::Key_Return),
                keyInput("Space", Qt::Key_Space),
                keyInput("Escape", Qt::Key_Escape),
                keyInput("Left", Qt::Key_Left),
                keyInput("Down", Qt::Key_Down),
                keyInput("H", Qt::Key_H),
                keyInput("Ctrl+Z", Qt::Key_Z, Qt::ControlModifier),
                keyInput("Page Down", Qt::Key_PageDown),
                mouse("a click on a card", true, true),
                mouse("a press on a card", false, true),
                mouse("a click on the table", true, false)};
    }

    // Runs `open`, which opens a message box at once or a moment later;
    // while it is up, sends the input, closes the box with Return and sends
    // the input `after` times more before the box has quite gone.
    bool aroundABox(const std::function<void()>& open, const Input& input, int after) {
        bool seen = false;
        QMessageBox* first = nullptr;
        QTimer watch, closer;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || seen) return;
            seen = true;
            first = box;
            input.send(*this);
            QTest::keyClick(box->windowHandle(), Qt::Key_Return);
            for (int i = 0; i < after; ++i) input.send(*this);
        });
        // Boxes the input opens are answered as they come (a timer of its
        // own: the first one's is held up while such a box is open).
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && seen && box != first) box->done(QMessageBox::Ok);
        });
        watch.start(2);
        closer.start(2);
        open();
        for (int i = 0; i < 5000 && !seen; ++i) QTest::qWait(2);
        QTest::qWait(20);
        return seen;
    }

    // The player can leave whatever state the table is in: Escape and a
    // click put carried cards back and hide the frame, and the keys reach
    // the table and the menus again.
    bool leavable(std::string& why) {
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
        if (carrying()) return why = "Escape left cards carried", false;
        QTest::mouseClick(win(), Qt::LeftButton, Qt::NoModifier, emptyTable());
        int x, y, w, h;
        if (focusFrame(x, y, w, h)) return why = "the frame stayed after Escape and a click", false;
        key(Qt::Key_Right);
        if (!focusFrame(x, y, w, h)) return why = "the keys no longer reach the table", false;
        const uint32_t before = gameNumber;
        key(Qt::Key_PageDown);
        if (gameNumber != before - 1) return why = "Page Down no longer deals", false;
        key(Qt::Key_N, Qt::ControlModifier);  // New: the clock reads 0
        if (gameNumber != 0) return why = "the menus' keys no longer work", false;
        return true;
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        resetKeyboardPlay();
        window = new MainWindow();
        QVERIFY(test::startTestWindow(*window, nullptr));
        window->platform().messageHook = nullptr;  // the real boxes, with their own event loops
        prefs.Move = 0;
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    void cleanup() {
        delete window;
        window = nullptr;
    }

    void everyInputAroundABoxLeavesALeavableTable() {
        struct Box {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        const Box boxes[] = {{"NO HINT. (H)", Qt::Key_H, Qt::NoModifier},
                             {"CANNOT UNDO (Ctrl+Z)", Qt::Key_Z, Qt::ControlModifier}};
        int cases = 0;
        QStringList failures;
        window->command(813);  // Fortress
        for (const Box& box : boxes) {
            for (const Input& input : inputs()) {
                for (int after = 1; after <= 3; ++after) {
                    // Deal 0 cannot be won from its start: H says so.
                    startGame(0);
                    QTRY_COMPARE_WITH_TIMEOUT(window->findChild<qt::SolverBar*>()->verdictText(),
                                              QStringLiteral("Cannot be won"), 10000);
                    // The frame on a pile, then a click on the empty table.
                    for (int i = 0; i < 3; ++i) key(Qt::Key_Right);
                    QTest::mouseClick(win(), Qt::LeftButton, Qt::NoModifier, emptyTable());
                    QVERIFY2(aroundABox([&] { key(box.key, box.modifiers); }, input, after), box.name);
                    std::string why;
                    ++cases;
                    if (!leavable(why))
                        failures << QStringLiteral("%1, %2 then %3 more: %4")
                                        .arg(QLatin1String(box.name), QLatin1String(input.name))
                                        .arg(after)
                                        .arg(QString::fromStdString(why));
                    // Whatever happened, a plain table for the next case.
                    for (int i = 0; i < 3 && carrying(); ++i) release(), putBack();
                    QTest::mouseRelease(win(), Qt::LeftButton, Qt::NoModifier, emptyTable());
                    window->activateWindow();
                    QVERIFY(QTest::qWaitForWindowActive(window));
                }
            }
        }
        for (const QString& f : failures) qWarning("%s", qPrintable(f));
        QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 of %2 cases").arg(failures.size()).arg(cases)));
        QCOMPARE(cases, 66);
    }
};

QTEST_MAIN(MessageBoxInputTest)
#include "message_box_input_test.moc"
