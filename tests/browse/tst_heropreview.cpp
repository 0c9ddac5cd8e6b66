#include "BrowseRig.h"
#include "HeroPreview.h"

#include <QtTest>

class TestHeroPreview : public QObject
{
    Q_OBJECT

private slots:
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
        wallpaper.wallpaperType = video ? WallpaperType::video : WallpaperType::image;
        if (!remote)
            wallpaper.remoteContentURL.reset();
        if (downloaded) {
            rig.addFolder(wallpaper.hexID, "content.mov");
            rig.cloud.recordDownload(wallpaper.hexID,
                QUrl::fromLocalFile(rig.downloads() + "/" + wallpaper.hexID + "/content.mov"), std::nullopt);
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
};

QTEST_MAIN(TestHeroPreview)
#include "tst_heropreview.moc"
