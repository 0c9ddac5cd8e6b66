// The live background draws its glows once per colour and only turns them;
// it turns only while its window is on screen, and goes on where it stopped.
#include "AmbientTurn.h"
#include "BlurredGlow.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

using Hide = std::function<void(QQuickWindow&)>;
Q_DECLARE_METATYPE(Hide)

class tst_LiveBackground : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void glowIsFaintInsideStrongAtTheRimAndSoftAtItsEdge();
    void stopsWhileWindowIsAway_data();
    void stopsWhileWindowIsAway();
    void sectionChangeRedrawsOnlyColours();

private:
    QList<BlurredGlow*> glows() const { return m_background->findChildren<BlurredGlow*>(); }
    AmbientTurn* turn() const { return m_background->findChild<AmbientTurn*>(QStringLiteral("rotation")); }
    int renders() const;

    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    QQuickItem* m_background = nullptr;
};

void tst_LiveBackground::initTestCase()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Where the modules keep their QML files; Qt 6.4 does not look there by itself.
    m_engine.addImportPath(QStringLiteral("qrc:/"));
}

void tst_LiveBackground::init()
{
    QQmlComponent component(&m_engine);
    component.setData("import QtQuick\nimport Lanto.Screens.Wallpaper\n"
                      "GradientBackground { section: \"Discover\"; width: 400; height: 300 }",
        QUrl());
    m_background = qobject_cast<QQuickItem*>(component.create());
    QVERIFY2(m_background, qPrintable(component.errorString()));
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(400, 300);
    m_background->setParentItem(m_window->contentItem());
    m_background->setParent(m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(glows().size(), 3);
    QTRY_COMPARE(renders(), 3);
}

void tst_LiveBackground::cleanup() { m_window.reset(); }

int tst_LiveBackground::renders() const
{
    int total = 0;
    for (const BlurredGlow* glow : glows())
        total += glow->renders();
    return total;
}

void tst_LiveBackground::glowIsFaintInsideStrongAtTheRimAndSoftAtItsEdge()
{
    const QImage picture = BlurredGlow::render(QColor(255, 0, 0), 1.0, QSize(100, 60), 6);
    const int margin = (picture.width() - 100) / 2;
    QVERIFY(margin > 0);
    const auto alphaAt = [&](int x, int y) { return qAlpha(picture.pixel(margin + x, margin + y)); };
    // Faint in the middle, strong at the rim and beyond it.
    QVERIFY(alphaAt(50, 30) < 20);
    QVERIFY(alphaAt(50, 2) > 120);
    QVERIFY(alphaAt(98, 30) > 120);
    // The blur carries colour past the edge, fading outwards.
    QVERIFY(alphaAt(-2, 30) > 0);
    QVERIFY(alphaAt(-2, 30) < alphaAt(2, 30));
    QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
}

void tst_LiveBackground::stopsWhileWindowIsAway_data()
{
    QTest::addColumn<Hide>("hide");
    QTest::newRow("closed") << Hide([](QQuickWindow& window) { window.close(); });
    QTest::newRow("hidden") << Hide([](QQuickWindow& window) { window.hide(); });
    QTest::newRow("minimised") << Hide([](QQuickWindow& window) { window.showMinimized(); });
}

void tst_LiveBackground::stopsWhileWindowIsAway()
{
    QFETCH(Hide, hide);
    AmbientTurn* clock = turn();
    QVERIFY(clock->isRunning());
    QTRY_VERIFY(clock->angle() > 0);

    hide(*m_window);
    QTRY_VERIFY(!clock->isRunning());
    const qreal stoppedAt = clock->angle();

    m_window->showNormal();
    QTRY_VERIFY(clock->isRunning());
    // Goes on from where it stopped rather than starting over.
    QTRY_VERIFY(clock->angle() > stoppedAt);
    QVERIFY(clock->angle() - stoppedAt < 90);
    // Turning and hiding never redraw the glows.
    QCOMPARE(renders(), 3);
}

void tst_LiveBackground::sectionChangeRedrawsOnlyColours()
{
    AmbientTurn* clock = turn();
    QTRY_VERIFY(clock->angle() > 0);
    const QColor before = glows().first()->colour();
    m_background->setProperty("section", QStringLiteral("Categories"));
    QVERIFY(glows().first()->colour() != before);
    QTRY_COMPARE(renders(), 6);
    QVERIFY(clock->isRunning());
    QVERIFY(clock->angle() > 0);
}

QTEST_MAIN(tst_LiveBackground)
#include "tst_livebackground.moc"
