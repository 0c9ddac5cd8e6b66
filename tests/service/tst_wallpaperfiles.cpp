#include "CloudService.h"
#include "WallpaperFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

Wallpaper item(const QString& hexID, std::optional<QString> cloudID)
{
    Wallpaper wallpaper;
    wallpaper.edit().hexID = hexID;
    wallpaper.edit().cloudID = std::move(cloudID);
    return wallpaper;
}

} // namespace

class tst_WallpaperFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void catalogueItemAsksTheServiceThenItsFolder();
    void localItemUsesItsFolderAlone();
    void previewFallsBackToRemoteAddresses_data();
    void previewFallsBackToRemoteAddresses();

private:
    QUrl file(const QString& relative) const { return QUrl::fromLocalFile(m_base->filePath(relative)); }

    std::unique_ptr<QTemporaryDir> m_base;
    std::unique_ptr<CloudService> m_cloud;
    std::unique_ptr<WallpaperFiles> m_files;
};

void tst_WallpaperFiles::init()
{
    m_base = std::make_unique<QTemporaryDir>();
    m_cloud = std::make_unique<CloudService>(m_base->path());
    m_files = std::make_unique<WallpaperFiles>(*m_cloud, m_cloud->contentDirectory());
}

void tst_WallpaperFiles::catalogueItemAsksTheServiceThenItsFolder()
{
    // The service knows the cloud id's thumbnail; the content lies only in the hex id's folder.
    touch(m_base->filePath("Cache/thumbnails/c1.jpg"));
    touch(m_base->filePath("Downloads/h1/Poster.png"));
    touch(m_base->filePath("Downloads/h1/content.mov"));
    m_cloud->buildCache();
    const Wallpaper wallpaper = item("h1", QStringLiteral("c1"));

    QCOMPARE(m_files->localThumbnailURL(wallpaper), file("Cache/thumbnails/c1.jpg"));
    QCOMPARE(m_files->localPosterURL(wallpaper), file("Downloads/h1/Poster.png"));
    QCOMPARE(m_files->localContentURL(wallpaper), file("Downloads/h1/content.mov"));
    QCOMPARE(m_files->previewVideoURL(wallpaper), file("Downloads/h1/content.mov"));
    QVERIFY(!m_files->isDownloaded(wallpaper)); // the service alone decides

    touch(m_base->filePath("Downloads/c1/Poster.png"));
    touch(m_base->filePath("Downloads/c1/content.mp4"));
    m_cloud->recordDownload("c1", file("Downloads/c1/content.mp4"), file("Downloads/c1/Poster.png"));
    QCOMPARE(m_files->localPosterURL(wallpaper), file("Downloads/c1/Poster.png"));
    QCOMPARE(m_files->localContentURL(wallpaper), file("Downloads/c1/content.mp4"));
    QVERIFY(m_files->isDownloaded(wallpaper));

    // Without a cached thumbnail the service's poster stands in.
    m_cloud->forgetCachedURLs("c1");
    m_cloud->recordDownload("c1", file("Downloads/c1/content.mp4"), file("Downloads/c1/Poster.png"));
    QCOMPARE(m_files->localThumbnailURL(wallpaper), file("Downloads/c1/Poster.png"));
}

void tst_WallpaperFiles::localItemUsesItsFolderAlone()
{
    const Wallpaper wallpaper = item("h2", std::nullopt);
    touch(m_base->filePath("Downloads/h2/Poster.png"));
    QCOMPARE(m_files->localPosterURL(wallpaper), file("Downloads/h2/Poster.png"));
    QCOMPARE(m_files->localThumbnailURL(wallpaper), file("Downloads/h2/Poster.png"));
    // A poster alone is no content.
    QVERIFY(!m_files->localContentURL(wallpaper));
    QVERIFY(!m_files->isDownloaded(wallpaper));

    touch(m_base->filePath("Downloads/h2/mine.mov"));
    QCOMPARE(m_files->localContentURL(wallpaper), file("Downloads/h2/mine.mov"));
    QVERIFY(m_files->isDownloaded(wallpaper));
}

void tst_WallpaperFiles::previewFallsBackToRemoteAddresses_data()
{
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QUrl>("expected");
    QTest::newRow("clip first") << "https://cdn.example/p.mov"
                                << "https://cdn.example/c.mov" << QUrl("https://cdn.example/p.mov");
    QTest::newRow("invalid clip skipped") << "http://[bad"
                                          << "https://cdn.example/c.mov" << QUrl("https://cdn.example/c.mov");
    QTest::newRow("nothing usable") << ""
                                    << "" << QUrl();
    QTest::newRow("other protocol skipped") << "rtmp://cdn.example/p"
                                            << "https://cdn.example/c.mov" << QUrl("https://cdn.example/c.mov");
    QTest::newRow("relative clip skipped") << "clips/p.mov"
                                           << "https://cdn.example/c.mov" << QUrl("https://cdn.example/c.mov");
    QTest::newRow("file outside the downloads") << "file:///etc/passwd"
                                                << "file:///etc/hosts" << QUrl();
}

void tst_WallpaperFiles::previewFallsBackToRemoteAddresses()
{
    QFETCH(QString, clip);
    QFETCH(QString, content);
    QFETCH(QUrl, expected);
    Wallpaper wallpaper = item("h3", QStringLiteral("c3"));
    if (!clip.isEmpty())
        wallpaper.edit().remotePreviewClipURL = clip;
    if (!content.isEmpty())
        wallpaper.edit().remoteContentURL = content;
    QCOMPARE(m_files->previewVideoURL(wallpaper).value_or(QUrl()), expected);
}

QTEST_GUILESS_MAIN(tst_WallpaperFiles)
#include "tst_wallpaperfiles.moc"
