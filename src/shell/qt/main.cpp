// korvat: the desktop program.
#include <QApplication>
#include <QStringList>

#include "shell/qt/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvat"));
    // The command line, when not empty, names a saved game to open.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const std::string commandLine = args.join(QLatin1Char(' ')).toStdString();

    korvat::qt::MainWindow window;
    if (!window.start(commandLine)) return 1;
    window.show();
    return QApplication::exec();
}
