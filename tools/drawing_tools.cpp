#include "drawing_tools.h"

#include <QtGlobal>
#include <QString>
#include <cstdio>

namespace korvat::tools {

namespace {

// Qt's complaint about a missing runtime folder means nothing to a program
// that only draws into memory; everything else is passed on.
void quietMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.startsWith(QLatin1String("QStandardPaths:"))) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

}  // namespace

void drawWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
}

}  // namespace korvat::tools
