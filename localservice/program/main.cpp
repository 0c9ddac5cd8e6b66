#include "ServiceCommandLine.h"
#include "ServiceProgram.h"
#include "TerminationSignals.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Pictures (posters, thumbnails) need the GUI library, not a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanto-service"));

    QString error;
    const std::optional<ServiceCommandLine> commandLine = ServiceCommandLine::parse(app.arguments(), &error);
    if (!commandLine) {
        QTextStream(stderr) << error << Qt::endl;
        return 2;
    }
    ServiceProgram program(*commandLine);
    if (const std::optional<int> exitCode = program.start())
        return *exitCode;
    TerminationSignals termination;
    return app.exec();
}
