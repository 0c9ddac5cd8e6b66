// Main.qml loads with every screen it uses, from the modules compiled into the
// program, not from folders on disk.
#include "LantoApp.h"

#include <QQmlApplicationEngine>
#include <QTest>

class tst_MainWindowLoad : public QObject
{
    Q_OBJECT

private slots:
    void loadsFromCompiledModules()
    {
        QQmlApplicationEngine engine;
        QStringList errors;
        connect(&engine, &QQmlApplicationEngine::warnings, this, [&](const QList<QQmlError>& warnings) {
            for (const QQmlError& warning : warnings)
                errors.append(warning.toString());
        });
        QVERIFY2(LantoApp::loadMainWindow(engine), qPrintable(errors.join('\n')));
        QCOMPARE(engine.rootObjects().first()->objectName(), QString("main"));
    }
};

QTEST_MAIN(tst_MainWindowLoad)
#include "tst_mainwindowload.moc"
