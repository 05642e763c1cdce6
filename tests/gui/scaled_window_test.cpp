// The window on a screen scaled by 1.5 (QT_SCALE_FACTOR), offscreen: the
// table is composed at the size it is shown and shown pixel for pixel, is
// the table korvat-cli render --scale 1.5 draws, and plays as at 1x.
#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "cli/commands.h"
#include "gui_test_support.h"
#include "model/platform.h"
#include "model/records.h"
#include "shell/qt/main_window.h"
#include "view/pictures.h"

using namespace korvat;

class ScaledWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir files;

    // Every pixel of the table widget's picture area against the window surface.
    static bool showsItsPicture(qt::MainWindow& window, QImage& shot) {
        shot = window.table().grab().toImage();
        const qt::TableFit f = window.table().fit();
        const Surface& s = view::windowSurface;
        if (s.width != f.width || s.height != f.height) return false;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                if ((shot.pixel(f.x + x, f.y + y) & 0xFFFFFFu) != s.at(x, y)) return false;
        return true;
    }

private slots:
    void initTestCase() { QVERIFY(test::enterTestFolder(files)); }

    void theWindowShowsWhatRenderDrawsAtItsScale() {
        test::startAsFirstRun(files);
        QImage first;
        {
            qt::MainWindow window;
            QVERIFY(test::startTestWindow(window, [](const char*, const char*, unsigned) { return IdOk; }));
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.table().devicePixelRatioF(), 1.5);
            QCOMPARE(window.table().size(), QSize(640, 480));
            window.table().repaint();
            QVERIFY(showsItsPicture(window, first));
            QCOMPARE(first.size(), QSize(960, 720));

            // Cards are picked up and dropped as at 1x.
            const qt::TableFit f = window.table().fit();
            auto at = [&](int pile) {
                const Card& c = *pileAt(pile)->top;
                return f.toWidget(QPoint(c.x + table.cardWidth / 2, c.y + table.cardHeight / 2)).toPoint();
            };
            QWidget* t = &window.table();
            QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, at(6));  // the nine of diamonds
            QTest::mouseMove(t, at(10));
            QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, at(10));  // onto the ten of spades
            QCOMPARE(pileAt(10)->count, 8);
        }
        // What the window showed first is what render draws at its scale.
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const std::string path = files.filePath(QStringLiteral("scaled.png")).toStdString();
        QCOMPARE(cli::run({"render", "827", "0", path, "--scale", "1.5"}, out, err), 0);
        std::fclose(out);
        std::fclose(err);
        const QImage rendered = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(rendered.size(), QSize(960, 720));
        for (int y = 0; y < 720; ++y)
            for (int x = 0; x < 960; ++x)
                if ((first.pixel(x, y) & 0xFFFFFFu) != (rendered.pixel(x, y) & 0xFFFFFFu))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "1.5");
    QApplication app(argc, argv);
    ScaledWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "scaled_window_test.moc"
