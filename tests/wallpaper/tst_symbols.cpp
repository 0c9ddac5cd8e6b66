// Every symbol the screens name is in the one table and draws something.
#include "WallpaperCategory.h"

#include <QDirIterator>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTest>

class tst_Symbols : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyNamedSymbolIsInTheTable();
    void everySymbolDrawsSomething_data();
    void everySymbolDrawsSomething();
    void symbolSizedByALoaderDraws();

private:
    // Inked pixels of the symbol drawn alone, or as the source would have it.
    int inkOf(const QString& name,
        const QByteArray& source = "import QtQuick\nimport Lanto.Screens.Wallpaper\nSymbolIcon { pointSize: 24 }");

    QQmlEngine m_engine;
    QStringList m_table;
};

void tst_Symbols::initTestCase()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Where the modules keep their QML files; Qt 6.4 does not look there by itself.
    m_engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&m_engine);
    component.setData("import QtQuick\nimport Lanto.Screens.Wallpaper\nSymbolIcon { name: \"\" }", QUrl());
    std::unique_ptr<QObject> icon(component.create());
    QVERIFY2(icon, qPrintable(component.errorString()));
    m_table = icon->property("symbols").toMap().keys();
    QVERIFY(m_table.size() > 20);
}

// The names written in the screens' sources, and the categories' icons.
static QStringList namesTheScreensUse()
{
    QStringList names;
    static const QRegularExpression literal(QStringLiteral(R"re((?<![\w.])(?:name|symbol)\s*:\s*"([a-z0-9.]+)")re"));
    static const QRegularExpression sectionMap(QStringLiteral(R"re("[A-Z][a-z]+"\s*:\s*"([a-z0-9.]+)")re"));
    QDirIterator files(QStringLiteral(LANTO_SOURCE_DIR "/screens"), {QStringLiteral("*.qml")}, QDir::Files,
        QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly) || file.fileName().endsWith(QLatin1String("SymbolIcon.qml")))
            continue;
        const QString source = QString::fromUtf8(file.readAll());
        for (const QRegularExpression* pattern : {&literal, &sectionMap})
            for (const QRegularExpressionMatch& match : pattern->globalMatch(source))
                names << match.captured(1);
    }
    for (WallpaperCategory category : WallpaperCategories::allCases())
        names << icon(category);
    names.removeDuplicates();
    return names;
}

void tst_Symbols::everyNamedSymbolIsInTheTable()
{
    const QStringList used = namesTheScreensUse();
    QVERIFY(used.contains(QStringLiteral("gearshape"))); // the scan found the sidebar's
    for (const QString& name : used)
        QVERIFY2(m_table.contains(name), qPrintable(name + QStringLiteral(" is used but not drawn")));
}

void tst_Symbols::everySymbolDrawsSomething_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : std::as_const(m_table))
        QTest::newRow(qPrintable(name)) << name;
}

int tst_Symbols::inkOf(const QString& name, const QByteArray& source)
{
    QQmlComponent component(&m_engine);
    component.setData(source, QUrl());
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(40, 40);
    auto* icon = qobject_cast<QQuickItem*>(component.beginCreate(m_engine.rootContext()));
    if (!icon)
        return -1;
    icon->setProperty("name", name);
    component.completeCreate();
    icon->setParentItem(window.contentItem());
    icon->setParent(&window);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return -1;
    int ink = 0;
    // The canvas paints on a later frame; wait for it with a deadline.
    [[maybe_unused]] const bool inked = QTest::qWaitFor([&] {
        const QImage frame = window.grabWindow();
        ink = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                ink += qGray(frame.pixel(x, y)) > 96;
        return ink > 0;
    }, 3000);
    return ink;
}

void tst_Symbols::everySymbolDrawsSomething()
{
    QFETCH(QString, name);
    QVERIFY(inkOf(name) > 10);
}

// As the sidebar shows its sections' symbols: sized by the loader that makes them.
void tst_Symbols::symbolSizedByALoaderDraws()
{
    QVERIFY(inkOf(QStringLiteral("gearshape"),
                "import QtQuick\nimport Lanto.Screens.Wallpaper\nLoader {\n"
                "    property string name\n    id: loader\n    width: 22; height: 22\n"
                "    sourceComponent: Component { SymbolIcon { name: loader.name } }\n}")
        > 10);
}

QTEST_MAIN(tst_Symbols)
#include "tst_symbols.moc"
