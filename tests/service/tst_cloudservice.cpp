#include "CloudService.h"

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

} // namespace

class tst_CloudService : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void createsItsFolders();
    void answersFromDiskBeforeTheScanAndFromMemoryAfter_data();
    void answersFromDiskBeforeTheScanAndFromMemoryAfter();
    void folderWithOnlyCompanionsIsNotDownloaded_data();
    void folderWithOnlyCompanionsIsNotDownloaded();
    void recordsAndForgetsDownloads();
    void deleteKeepsTheThumbnailFileAndNeverLeavesTheFolder();

private:
    std::unique_ptr<QTemporaryDir> m_base;
    std::unique_ptr<CloudService> m_service;
};

void tst_CloudService::init()
{
    m_base = std::make_unique<QTemporaryDir>();
    m_service = std::make_unique<CloudService>(m_base->path());
}

void tst_CloudService::createsItsFolders()
{
    QVERIFY(QFileInfo(m_base->filePath("Cache/thumbnails")).isDir());
    QVERIFY(QFileInfo(m_base->filePath("Downloads")).isDir());
    QCOMPARE(m_service->contentDirectory(), m_base->filePath("Downloads"));
}

void tst_CloudService::answersFromDiskBeforeTheScanAndFromMemoryAfter_data()
{
    QTest::addColumn<bool>("scanned");
    QTest::newRow("before the scan") << false;
    QTest::newRow("after the scan") << true;
}

void tst_CloudService::answersFromDiskBeforeTheScanAndFromMemoryAfter()
{
    QFETCH(bool, scanned);
    const QString folder = m_base->filePath("Downloads/abc");
    touch(folder + "/Poster.png");
    touch(folder + "/content.mov");
    touch(m_base->filePath("Cache/thumbnails/abc.jpg"));
    touch(m_base->filePath("Cache/thumbnails/def.png"));
    if (scanned)
        m_service->buildCache();

    QCOMPARE(m_service->localContentURL("abc"), QUrl::fromLocalFile(folder + "/content.mov"));
    QCOMPARE(m_service->localPosterURL("abc"), QUrl::fromLocalFile(folder + "/Poster.png"));
    QCOMPARE(m_service->localThumbnailURL("abc"), QUrl::fromLocalFile(m_base->filePath("Cache/thumbnails/abc.jpg")));
    QVERIFY(m_service->isDownloaded("abc"));
    // The scan knows every thumbnail by its base name; the disk check looks for ".jpg" only.
    QCOMPARE(m_service->localThumbnailURL("def").has_value(), scanned);

    // Files added after the scan are not seen until they are recorded.
    touch(m_base->filePath("Downloads/late/content.mp4"));
    QCOMPARE(m_service->isDownloaded("late"), !scanned);
    QVERIFY(!m_service->localContentURL("missing"));
    QVERIFY(!m_service->localContentURL("../Downloads/abc"));
}

void tst_CloudService::folderWithOnlyCompanionsIsNotDownloaded_data()
{
    answersFromDiskBeforeTheScanAndFromMemoryAfter_data();
}

void tst_CloudService::folderWithOnlyCompanionsIsNotDownloaded()
{
    QFETCH(bool, scanned);
    const QString folder = m_base->filePath("Downloads/abc");
    touch(folder + "/Poster.png");
    touch(folder + "/DesktopImage.png");
    touch(folder + "/metadata.json");
    if (scanned)
        m_service->buildCache();
    QVERIFY(!m_service->localContentURL("abc"));
    QVERIFY(!m_service->isDownloaded("abc"));
    QCOMPARE(m_service->localPosterURL("abc"), QUrl::fromLocalFile(folder + "/Poster.png"));
}

void tst_CloudService::recordsAndForgetsDownloads()
{
    m_service->buildCache();
    const QUrl content = QUrl::fromLocalFile(m_base->filePath("Downloads/abc/content.mov"));
    m_service->recordDownload("abc", content, std::nullopt);
    QVERIFY(m_service->isDownloaded("abc"));
    QCOMPARE(m_service->localContentURL("abc"), content);
    QVERIFY(!m_service->localPosterURL("abc"));

    m_service->forgetCachedURLs("abc");
    QVERIFY(!m_service->isDownloaded("abc"));
    QVERIFY(!m_service->localContentURL("abc"));
}

void tst_CloudService::deleteKeepsTheThumbnailFileAndNeverLeavesTheFolder()
{
    touch(m_base->filePath("Downloads/abc/content.mov"));
    touch(m_base->filePath("Cache/thumbnails/abc.jpg"));
    touch(m_base->filePath("outside/keep.txt"));
    QVERIFY(QFile::link(m_base->filePath("outside"), m_base->filePath("Downloads/link")));
    m_service->buildCache();

    m_service->deleteContent("abc");
    QVERIFY(!QFileInfo::exists(m_base->filePath("Downloads/abc")));
    QVERIFY(!m_service->isDownloaded("abc"));
    QVERIFY(!m_service->localThumbnailURL("abc")); // forgotten, though still on disk
    QVERIFY(QFileInfo::exists(m_base->filePath("Cache/thumbnails/abc.jpg")));

    m_service->deleteContent("link");
    m_service->deleteContent("..");
    QVERIFY(QFileInfo::exists(m_base->filePath("outside/keep.txt")));
    QVERIFY(!QFileInfo::exists(m_base->filePath("Downloads/link")));
    QVERIFY(QFileInfo::exists(m_base->filePath("Downloads")));
}

QTEST_GUILESS_MAIN(tst_CloudService)
#include "tst_cloudservice.moc"
