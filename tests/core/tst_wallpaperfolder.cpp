#include "WallpaperFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_WallpaperFolder : public QObject
{
    Q_OBJECT

private slots:
    void picksTheContentFile_data();
    void picksTheContentFile();
    void readsTheFolderOnDisk();
    void refusesIdsThatLeaveTheFolder_data();
    void refusesIdsThatLeaveTheFolder();
};

void tst_WallpaperFolder::picksTheContentFile_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("expected"); // empty: nothing

    QTest::newRow("companions around the content")
        << QStringList { "metadata.json", "Poster.png", "content.mov", "preview.mov" } << "content.mov";
    QTest::newRow("only the poster") << QStringList { "Poster.png" } << "";
    QTest::newRow("only companions, tint copy included")
        << QStringList { "Poster.png", "DesktopImage.png", "preview.mov", "metadata.json" } << "";
    QTest::newRow("tint copy listed before the video")
        << QStringList { "DesktopImage.png", "Poster.png", "content.mp4" } << "content.mp4";
    QTest::newRow("hidden file first") << QStringList { ".DS_Store", "clip.mkv" } << "clip.mkv";
    QTest::newRow("temporary files") << QStringList { "content.mp4.part", "content.mov.Ab12Cd", "x.tmp", "y~" } << "";
    QTest::newRow("temporary copy of a name with several dots")
        << QStringList { "My.Holiday.2024.mov.Xy9Zq1" } << "";
    QTest::newRow("names with several dots") << QStringList { "My.Holiday.2024.mov" } << "My.Holiday.2024.mov";
    QTest::newRow("content name wins over earlier names")
        << QStringList { "aaa.txt", "content.m4v", "b.mov" } << "content.m4v";
    QTest::newRow("otherwise the first by name") << QStringList { "zebra.mov", "alpha.png" } << "alpha.png";
    QTest::newRow("empty folder") << QStringList {} << "";
}

void tst_WallpaperFolder::picksTheContentFile()
{
    QFETCH(QStringList, names);
    QFETCH(QString, expected);
    const std::optional<QString> picked = WallpaperFolder::pickContentFileName(names);
    QCOMPARE(picked.value_or(QString()), expected);
    // The listing order never matters.
    std::reverse(names.begin(), names.end());
    QCOMPARE(WallpaperFolder::pickContentFileName(names).value_or(QString()), expected);
}

void tst_WallpaperFolder::readsTheFolderOnDisk()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("abc");
    QVERIFY(!WallpaperFolder::contentFileURL(folder));
    QVERIFY(QDir().mkpath(folder + "/content.mov")); // a folder is never the content file
    for (const char* name : { "Poster.png", "clip.mp4" }) {
        QFile file(QDir(folder).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(WallpaperFolder::contentFileURL(folder), QUrl::fromLocalFile(folder + "/clip.mp4"));
    QCOMPARE(WallpaperFolder::posterURL(folder), QUrl::fromLocalFile(folder + "/Poster.png"));
    QVERIFY(!WallpaperFolder::posterURL(dir.filePath("missing")));
}

void tst_WallpaperFolder::refusesIdsThatLeaveTheFolder_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("hex id") << "0a1b2c" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("itself") << "." << false;
    QTest::newRow("nested") << "../Settings" << false;
    QTest::newRow("absolute") << "/etc" << false;
}

void tst_WallpaperFolder::refusesIdsThatLeaveTheFolder()
{
    QFETCH(QString, id);
    QFETCH(bool, accepted);
    const std::optional<QString> folder = WallpaperFolder::folderPath("/downloads", id);
    QCOMPARE(folder.has_value(), accepted);
    if (accepted)
        QCOMPARE(*folder, "/downloads/" + id);
}

QTEST_GUILESS_MAIN(tst_WallpaperFolder)
#include "tst_wallpaperfolder.moc"
