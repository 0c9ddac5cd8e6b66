#include "LogCapture.h"
#include "PlacedAerialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ino_t inode(const QString& path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace

class TestPlacedAerialFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.emplace();
        m_paths = SystemWallpaper::Paths::forHome(m_home->path());
    }

    void createsTheFoldersItWritesInto()
    {
        PlacedAerialFiles files(m_paths);
        files.createDirectories();
        QVERIFY(QFileInfo(m_paths.videosDirectory).isDir());
        QVERIFY(QFileInfo(m_paths.thumbnailsDirectory).isDir());
        QVERIFY(QFileInfo(m_paths.manifest).absoluteDir().exists());
    }

    // The placed file is the source itself, linked, and replaces what was there.
    void linksOverAnEarlierFile()
    {
        PlacedAerialFiles files(m_paths);
        files.createDirectories();
        const QString source = m_home->filePath(QStringLiteral("content.mov"));
        write(source, "new video");
        const QString target = m_paths.videoFile(QStringLiteral("A"));
        write(target, "old video");

        files.linkOrCopy(source, target);
        QCOMPARE(read(target), QByteArray("new video"));
        QCOMPARE(inode(target), inode(source));
            }

    // A missing source, or a pipe in its place, is no source: nothing is said or changed.
    void leavesTheTargetWhenThereIsNoSource()
    {
        PlacedAerialFiles files(m_paths);
        files.createDirectories();
        const QString target = m_paths.thumbnailFile(QStringLiteral("A"));
        write(target, "poster");
        const QString pipe = m_home->filePath(QStringLiteral("pipe.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        LogCapture log;
        files.linkOrCopy(m_home->filePath(QStringLiteral("missing.png")), target);
        files.linkOrCopy(pipe, target);
        QCOMPARE(read(target), QByteArray("poster"));
        QVERIFY(log.lines().isEmpty());
    }

    // Each failure line names what went wrong in its own step.
    void failedCopyReportsItsOwnError()
    {
        PlacedAerialFiles files(m_paths);
        const QString source = m_home->filePath(QStringLiteral("content.mov"));
        write(source, "video");
        LogCapture log;
        files.linkOrCopy(source, m_paths.videoFile(QStringLiteral("A"))); // its folder was never made
        QCOMPARE(log.lines().size(), 2);
        QCOMPARE(log.lines().at(0),
            QStringLiteral("Lanto AerialManager: linkItem failed (No such file or directory), falling back to copy"));
        QVERIFY2(log.lines().at(1).startsWith(QStringLiteral("Lanto AerialManager: copyItem also failed — "))
                && log.lines().at(1).contains(QLatin1String("No such file or directory")),
            qPrintable(log.lines().at(1)));
    }

    // Every file of the asset goes, in whatever extension; another asset's stay.
    void deletesOnlyTheAssetsFiles()
    {
        PlacedAerialFiles files(m_paths);
        files.createDirectories();
        const QStringList mine { m_paths.videoFile(QStringLiteral("A"), QStringLiteral("mp4")),
            m_paths.thumbnailFile(QStringLiteral("A"), QStringLiteral("heic")),
            m_paths.thumbnailFile(QStringLiteral("A-poster"), QStringLiteral("jpg")) };
        const QStringList theirs { m_paths.videoFile(QStringLiteral("B")), m_paths.thumbnailFile(QStringLiteral("B")) };
        for (const QString& path : mine + theirs)
            write(path, "x");

        files.deleteFiles(QStringLiteral("A"));
        for (const QString& path : mine)
            QVERIFY2(!QFile::exists(path), qPrintable(path));
        for (const QString& path : theirs)
            QVERIFY2(QFile::exists(path), qPrintable(path));
    }

private:
    std::optional<QTemporaryDir> m_home;
    SystemWallpaper::Paths m_paths;
};

QTEST_GUILESS_MAIN(TestPlacedAerialFiles)
#include "tst_placedaerialfiles.moc"
