// The Preferences dialog (1401) opened from the menu and driven offscreen,
// and the file dialogs of File > Save As and File > Open.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
#include "store/gamefile.h"
#include "shell/menu.h"
#include "shell/preferences_dialog.h"
#include "shell/program.h"
#include "shell/qt/main_window.h"
#include "shell/qt/preferences_dialog.h"
#include "shell/qt/qt_platform.h"
#include "view/pictures.h"

using namespace korvat;
using korvat::qt::MainWindow;
using korvat::qt::PreferencesDialog;

namespace {
int counterClosings = 0;
}

class PreferencesDialogTest : public QObject {
    Q_OBJECT

    MainWindow* window = nullptr;
    std::vector<std::string> captions;
    int answer = IdOk;
    QTemporaryDir files;

    // Opens the dialog through the menu and runs `drive` on it while it is
    // up; the dialog is closed afterwards whatever `drive` found.
    void withDialog(const std::function<void(PreferencesDialog&)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget());
            if (dialog) {
                driven = true;
                drive(*dialog);
                if (dialog->isVisible()) dialog->done(0);
            }
        });
        window->action(Command::Preferences)->trigger();
        QVERIFY(driven);
    }

    static void click(PreferencesDialog& d, int id) {
        QAbstractButton* b = d.control(id);
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    }

    // Runs `drive` on the file dialog a command opens; a question box
    // coming up instead is answered No and counts as a failure.
    bool withFileDialog(int command, const std::function<void(QFileDialog&)>& drive) {
        bool driven = false, questioned = false;
        QTimer::singleShot(0, this, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                driven = true;
                drive(*dialog);
                if (dialog->isVisible()) dialog->reject();
            }
        });
        QTimer guard;
        connect(&guard, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                questioned = true;
                box->reject();
            }
        });
        guard.start(200);
        window->action(command)->trigger();
        return driven && !questioned;
    }

    // A pixel of the stock's top card (Klondike pile 12) on the table.
    static uint32_t stockPixel() {
        const Pile& stock = *pileAt(12);
        const int x = stock.x + 20, y = stock.y + 30;
        return view::windowSurface.pixels[static_cast<size_t>(y * view::windowSurface.width + x)];
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void init() {
        test::startAsFirstRun(files);
        captions.clear();
        answer = IdOk;
        counterClosings = 0;
        window = new MainWindow();
        QVERIFY(test::startTestWindow(
            *window,
            [this](const char*, const char* caption, unsigned style) {
                captions.push_back(caption);
                return (style & Mb::ButtonMask) == Mb::Ok ? IdOk : answer;
            }));
        startGame(3);  // Klondike
        closeCounterWindow = [] { ++counterClosings; };
    }

    void cleanup() {
        closeCounterWindow = nullptr;
        delete window;
        window = nullptr;
    }

    void fileDialogsSaveAndOpen() {
        // A started game: one card dealt from the stock.
        const Pile& stock = *pileAt(12);
        QTest::mouseClick(&window->table(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(stock.x + korvat::table.cardWidth / 2, stock.y + korvat::table.cardHeight / 2));
        QVERIFY(korvat::table.logIndex != -1);
        const QString path = files.filePath(QStringLiteral("first.GAM"));
        {
            QFile old(path);  // replaced without a question
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        const std::vector<uint8_t> saved = encodeGameFile();
        QVERIFY(withFileDialog(Command::SaveAs, [&](QFileDialog& d) {
            QCOMPARE(d.acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(d.nameFilters(), QStringList{QStringLiteral("Korvat game files (*.GAM)")});
            QCOMPARE(d.defaultSuffix(), QStringLiteral("GAM"));
            QVERIFY(d.testOption(QFileDialog::DontConfirmOverwrite));
            d.selectFile(files.filePath(QStringLiteral("first")));  // the extension comes by itself
            static_cast<QDialog&>(d).accept();
        }));
        QCOMPARE(QString::fromStdString(gameFileName), path);
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(static_cast<size_t>(written.size()), saved.size());

        window->command(Command::New);
        QVERIFY(gameFileName.empty());
        QVERIFY(withFileDialog(Command::Open, [&](QFileDialog& d) {
            QCOMPARE(d.acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(d.fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(d.nameFilters(), QStringList{QStringLiteral("Korvat game files (*.GAM)")});
            d.selectFile(path);
            static_cast<QDialog&>(d).accept();
        }));
        QCOMPARE(QString::fromStdString(gameFileName), path);
        QCOMPARE(gameNumber, uint32_t{3});
        QCOMPARE(encodeGameFile().size(), saved.size());
        QVERIFY(window->windowTitle().contains(QStringLiteral("Never completed.")));
    }

    void layoutFromTheTemplate() {
        withDialog([](PreferencesDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Preferences"));
            QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
            // Dialog units come from the dialog's own font.
            const QFontMetrics metrics(d.font());
            QCOMPARE(d.font().pointSize(), 11);
            const QRect unit = d.pixelRect(4, 8, 4, 8);
            QVERIFY(unit.width() > 3 && unit.width() < 20);
            QCOMPARE(unit.height(), metrics.height());
            // 183 high as laid out, and a row more for "Winnable deals only." under OK.
            QCOMPARE(d.size(), d.pixelRect(0, 0, 187, 198).size());
            for (int i = 0; i < kPreferencesControlCount; ++i) {
                const PreferencesControl& c = kPreferencesControls[i];
                if (c.kind == PreferencesControlKind::GroupBox) continue;
                QAbstractButton* b = d.control(c.id);
                QVERIFY2(b, qPrintable(QString::number(c.id)));
                QCOMPARE(b->text(), QString::fromLatin1(c.text));
                // Placed where the layout says; labels may run wider so as
                // not to be cut, never past the dialog's edge.
                const QRect laid = d.pixelRect(c.x, c.y, c.width, c.height);
                QCOMPARE(b->geometry().topLeft(), laid.topLeft());
                QCOMPARE(b->geometry().height(), laid.height());
                QVERIFY(b->geometry().width() >= laid.width());
                QVERIFY(b->geometry().right() < d.width());
                if (c.kind != PreferencesControlKind::PushButton &&
                    c.kind != PreferencesControlKind::DefaultPushButton)
                    QVERIFY2(b->geometry().width() >= b->sizeHint().width() ||
                                 b->geometry().right() >= d.width() - 3,
                             qPrintable(QStringLiteral("label of %1 cut off").arg(c.id)));
            }
            auto* ok = qobject_cast<QPushButton*>(d.control(PreferencesId::Ok));
            QVERIFY(ok && ok->isDefault());
            QCOMPARE(ok->geometry(), d.pixelRect(66, 160, 55, 15));
            // The marks of a first run.
            QVERIFY(!d.control(1800)->isChecked());
            QVERIFY(d.control(1802)->isChecked());
            QVERIFY(d.control(1803)->isChecked());
            QVERIFY(!d.control(1807)->isChecked());  // the tests play no sounds
            QVERIFY(d.control(1811)->isChecked());
            QVERIFY(!d.control(1809)->isChecked());
            QVERIFY(d.control(1813)->isChecked());
            QVERIFY(!d.control(1814)->isChecked());
        });
    }

    void escapeAndCloseDoNothing() {
        withDialog([](PreferencesDialog& d) {
            QTest::keyClick(&d, Qt::Key_Escape);
            QVERIFY(d.isVisible());
            d.close();
            QVERIFY(d.isVisible());
            d.reject();
            QVERIFY(d.isVisible());
        });
    }

    void clicksChangeTheGameBehindAndOkWrites() {
        prefs.AllowCheat = -1;
        window->action(Command::ShowAllCards)->trigger();
        QVERIFY(window->action(Command::ShowAllCards)->isChecked());
        const uint32_t number = gameNumber;
        withDialog([&](PreferencesDialog& d) {
            // Cheating switched off hides the cards and the menu's mark at once.
            click(d, PreferencesId::AllowCheat);
            QCOMPARE(prefs.AllowCheat, 0);
            QCOMPARE(korvat::table.showAllCards, 0);
            QVERIFY(!window->action(Command::ShowAllCards)->isChecked());

            // The back of the stock's cards changes behind the dialog.
            const uint32_t before = stockPixel();
            click(d, PreferencesId::CardBackUp);
            QCOMPARE(prefs.CardBack, 7);
            QVERIFY(stockPixel() != before);
            click(d, PreferencesId::TableBackDown);
            QCOMPARE(prefs.TableBack, 14);

            click(d, PreferencesId::AllowCounter);
            QCOMPARE(counterClosings, 1);
            QVERIFY(!d.control(PreferencesId::AllowCounter)->isChecked());

            // Unlimited redeals: Cancel puts the mark back, OK deals again.
            answer = IdCancel;
            click(d, PreferencesId::Unlimit);
            QCOMPARE(captions.size(), size_t{1});
            QCOMPARE(captions[0], std::string("ARE YOU SURE?"));
            QVERIFY(!d.control(PreferencesId::Unlimit)->isChecked());
            QCOMPARE(prefs.Unlimit, 0);
            answer = IdOk;
            click(d, PreferencesId::Unlimit);
            QVERIFY(d.control(PreferencesId::Unlimit)->isChecked());
            QCOMPARE(prefs.Unlimit, -1);
            QCOMPARE(korvat::table.redealsLeft, -1);
            QCOMPARE(gameNumber, number);

            click(d, PreferencesId::Move586);
            QCOMPARE(prefs.Move, 3);
            QVERIFY(!d.control(PreferencesId::Move486)->isChecked());
            click(d, PreferencesId::Autoplay);
            QCOMPARE(prefs.Right, 1);
            QVERIFY(!d.control(PreferencesId::ExplainRules)->isChecked());

            QVERIFY(!QFile::exists(files.filePath(QStringLiteral("korvat.ini"))));
            click(d, PreferencesId::Ok);
            QVERIFY(!d.isVisible());
        });
        QFile ini(files.filePath(QStringLiteral("korvat.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(ini.readAll());
        QCOMPARE(text, QStringLiteral("[Prefs]\nCardBack=7\nTableBack=14\nMove=3\nLastGame=827\nRight=1\nPrompt=0\n"
                                      "AllowCheat=0\nAllowCounter=0\nAllowUndo=4294967295\nSeed=0\nThree=0\n"
                                      "Unlimit=4294967295\nSound=0\nSizes=0\n"));
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "preferences_dialog_test.moc"
