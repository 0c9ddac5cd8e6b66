// A busy indicator's sweep is an animation; with its window away it would go
// on ticking many times a second for nothing. Each stops while the window is
// closed, hidden or minimised, and sweeps again when it is back.
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

using Hide = std::function<void(QQuickWindow&)>;
Q_DECLARE_METATYPE(Hide)

class tst_BusyWhileShown : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stopsWhileWindowIsAway_data();
    void stopsWhileWindowIsAway();

private:
    QQmlEngine m_engine;
};

void tst_BusyWhileShown::initTestCase()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Where the modules keep their QML files; Qt 6.4 does not look there by itself.
    m_engine.addImportPath(QStringLiteral("qrc:/"));
}

void tst_BusyWhileShown::stopsWhileWindowIsAway_data()
{
    QTest::addColumn<QByteArray>("source");
    // The property of the item named "busy" that says whether it sweeps.
    QTest::addColumn<QByteArray>("sweeping");
    QTest::addColumn<Hide>("hide");

    const QByteArray importing = "import QtQuick\nimport Lanto.Screens.Profile\n"
                                 "ImportDropZone { width: 400; isImporting: true; importError: \"\"; "
                                 "importSuccess: \"\"; currentFile: \"a.mp4\"; currentIndex: 0; totalFiles: 1 }";
    const QByteArray updating = "import QtQuick\nimport Lanto.Screens.Launch\n"
                                "LaunchView { width: 400; height: 300; showsUpdate: true; updateVersion: \"2.0\" }";
    const QList<std::pair<const char*, Hide>> hides = {
        { "closed", [](QQuickWindow& window) { window.close(); } },
        { "hidden", [](QQuickWindow& window) { window.hide(); } },
        { "minimised", [](QQuickWindow& window) { window.showMinimized(); } },
    };
    for (const auto& [how, hide] : hides) {
        QTest::addRow("import, %s", how) << importing << QByteArray("running") << hide;
        QTest::addRow("update splash, %s", how) << updating << QByteArray("indeterminate") << hide;
    }
}

void tst_BusyWhileShown::stopsWhileWindowIsAway()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, sweeping);
    QFETCH(Hide, hide);

    QQmlComponent component(&m_engine);
    component.setData(source, QUrl());
    QQuickWindow window;
    window.resize(400, 300);
    std::unique_ptr<QQuickItem> screen(qobject_cast<QQuickItem*>(component.create()));
    QVERIFY2(screen, qPrintable(component.errorString()));
    screen->setParentItem(window.contentItem());
    QObject* busy = screen->findChild<QObject*>(QStringLiteral("busy"));
    QVERIFY(busy);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(busy->property(sweeping).toBool());

    hide(window);
    QTRY_VERIFY(!busy->property(sweeping).toBool());

    window.showNormal();
    QTRY_VERIFY(busy->property(sweeping).toBool());
    screen.reset();
}

QTEST_MAIN(tst_BusyWhileShown)
#include "tst_busywhileshown.moc"
