#include "BrowseRig.h"
#include "FakePlayerBackend.h"
#include "HeroPreview.h"
#include "VideoRenderPath.h"
#include "VirtualScheduler.h"

#include <QtTest>

using Resume = std::function<void(HeroPreview&)>;
Q_DECLARE_METATYPE(Resume)

namespace {

Wallpaper videoItem(int n)
{
    Wallpaper wallpaper = Item{n};
    wallpaper.edit().wallpaperType = WallpaperType::video;
    return wallpaper;
}

} // namespace

class TestHeroPreview : public QObject
{
    Q_OBJECT

private slots:
    // Where the window renders in software, as on the machines the banner's rest is for.
    void initTestCase() { qputenv(VideoRenderPath::environmentVariable, "software"); }

    void playsTheFullContent_data()
    {
        QTest::addColumn<bool>("video");
        QTest::addColumn<bool>("downloaded");
        QTest::addColumn<bool>("remote");
        QTest::addColumn<QString>("played"); // the file name played, if any
        QTest::newRow("downloaded video") << true << true << true << "content.mov";
        QTest::newRow("video from the service") << true << false << true << "000000000000000000000001.mov";
        QTest::newRow("video with neither") << true << false << false << "";
        QTest::newRow("still picture") << false << true << true << "";
    }
    void playsTheFullContent()
    {
        QFETCH(bool, video);
        QFETCH(bool, downloaded);
        QFETCH(bool, remote);
        QFETCH(QString, played);
        BrowseRig rig;
        Wallpaper wallpaper = Item{1};
        wallpaper.edit().wallpaperType = video ? WallpaperType::video : WallpaperType::image;
        if (!remote)
            wallpaper.edit().remoteContentURL.reset();
        if (downloaded) {
            rig.addFolder(wallpaper.hexID(), "content.mov");
            rig.cloud.recordDownload(wallpaper.hexID(),
                QUrl::fromLocalFile(rig.downloads() + "/" + wallpaper.hexID() + "/content.mov"), std::nullopt);
        }
        HeroPreview preview;
        preview.setManager(rig.manager.get());
        preview.setWallpaper(wallpaper);
        QCOMPARE(preview.previewURL().fileName(), played);
        QCOMPARE(preview.previewURL().isLocalFile(), downloaded && !played.isEmpty());
    }

    void visibleFromATenth()
    {
        HeroPreview preview;
        QSignalSpy changed(&preview, &HeroPreview::isVisibleChanged);
        QVERIFY(preview.isVisible());
        preview.setVisibleFraction(0.099);
        QVERIFY(!preview.isVisible());
        preview.setVisibleFraction(0.05);
        preview.setVisibleFraction(0.1);
        QVERIFY(preview.isVisible());
        QCOMPARE(changed.count(), 2);
    }

    void softwarePathPreviewDecodesLessAndRests()
    {
        VideoPreviewManager player;
        HeroPreview preview;
        preview.setPlayer(&player);
        QVERIFY(!player.decodesEveryFrame());
        QVERIFY(player.playTime() > 0);
    }

    void restingPreviewPlaysAgain_data()
    {
        QTest::addColumn<Resume>("resume");
        QTest::addColumn<QString>("playing");
        QTest::newRow("pointer over the banner")
            << Resume([](HeroPreview& preview) { preview.setHovered(true); }) << "000000000000000000000001.mov";
        QTest::newRow("another wallpaper")
            << Resume([](HeroPreview& preview) { preview.setWallpaper(videoItem(2)); }) << "000000000000000000000002.mov";
    }
    void restingPreviewPlaysAgain()
    {
        QFETCH(Resume, resume);
        QFETCH(QString, playing);
        VirtualScheduler clock;
        FakePlayerBackendFactory players(clock);
        VideoPreviewManager::installPlayerFactory(&players);
        const auto uninstall = qScopeGuard([] { VideoPreviewManager::installPlayerFactory(nullptr); });
        BrowseRig rig;
        VideoPreviewManager player;
        HeroPreview preview;
        preview.setManager(rig.manager.get());
        preview.setPlayer(&player);
        player.setPlayTime(40);
        preview.setWallpaper(videoItem(1));
        clock.advance(std::chrono::seconds(1));
        QTRY_VERIFY(player.isResting());
        clock.advance(std::chrono::seconds(10)); // the pass ends
        QCOMPARE(player.player()->rate(), 0.0);

        resume(preview);
        clock.advance(std::chrono::seconds(1));
        QVERIFY(!player.isResting());
        QCOMPARE(static_cast<FakePlayerBackend*>(player.player())->url().fileName(), playing);
        QCOMPARE(player.player()->timeControlStatus(), PlayerBackend::TimeControlStatus::playing);
        QVERIFY(player.player()->loopsWholeFile());
    }
};

QTEST_MAIN(TestHeroPreview)
#include "tst_heropreview.moc"
