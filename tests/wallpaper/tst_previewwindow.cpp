// A preview plays only while the window that shows it is on screen: hidden,
// minimised or closed, it stops and frees its player; shown again, it plays
// the same video from the start. A preview stopped on purpose stays stopped.
#include "FakePlayerBackend.h"
#include "VideoPlayerView.h"
#include "VideoPreviewManager.h"
#include "VirtualScheduler.h"

#include <QQuickWindow>
#include <QTest>

using Hide = std::function<void(QQuickWindow&)>;
Q_DECLARE_METATYPE(Hide)

class tst_PreviewWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stopsWhileWindowIsAway_data();
    void stopsWhileWindowIsAway();
    void stoppedPreviewStaysStoppedWhenShown();

private:
    std::unique_ptr<VirtualScheduler> m_clock;
    std::unique_ptr<FakePlayerBackendFactory> m_players;
    const QUrl m_clip = QUrl::fromLocalFile(QStringLiteral("/videos/preview.mp4"));
};

void tst_PreviewWindow::init()
{
    m_clock = std::make_unique<VirtualScheduler>();
    m_players = std::make_unique<FakePlayerBackendFactory>(*m_clock);
    VideoPreviewManager::installPlayerFactory(m_players.get());
}

void tst_PreviewWindow::cleanup()
{
    VideoPreviewManager::installPlayerFactory(nullptr);
    m_players.reset();
    m_clock.reset();
}

void tst_PreviewWindow::stopsWhileWindowIsAway_data()
{
    QTest::addColumn<Hide>("hide");
    QTest::newRow("hidden") << Hide([](QQuickWindow& window) { window.hide(); });
    QTest::newRow("closed") << Hide([](QQuickWindow& window) { window.close(); });
    QTest::newRow("minimised") << Hide([](QQuickWindow& window) { window.showMinimized(); });
}

void tst_PreviewWindow::stopsWhileWindowIsAway()
{
    QFETCH(Hide, hide);
    QQuickWindow window;
    VideoPreviewManager preview;
    auto* view = new VideoPlayerView(window.contentItem());
    view->setPreview(&preview);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    preview.load(m_clip);
    QVERIFY(preview.hasPlayer());

    hide(window);
    QTRY_VERIFY(!preview.hasPlayer());
    QCOMPARE(m_players->alive(), 0);

    window.showNormal();
    QTRY_VERIFY(preview.hasPlayer());
    const auto* player = static_cast<FakePlayerBackend*>(preview.player());
    QCOMPARE(player->url(), m_clip);
    QCOMPARE(player->rate(), 1.0);
    QCOMPARE(view->player(), preview.player());
}

void tst_PreviewWindow::stoppedPreviewStaysStoppedWhenShown()
{
    QQuickWindow window;
    VideoPreviewManager preview;
    auto* view = new VideoPlayerView(window.contentItem());
    view->setPreview(&preview);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    preview.load(m_clip);
    window.hide();
    QTRY_VERIFY(!preview.hasPlayer());
    preview.stop();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!preview.hasPlayer());
}

QTEST_MAIN(tst_PreviewWindow)
#include "tst_previewwindow.moc"
