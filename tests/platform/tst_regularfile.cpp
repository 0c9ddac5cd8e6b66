#include "PropertyList.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Files read from paths that others control: anything but a regular file of
// at most the cap is refused, and nothing waits on a pipe without a writer.
class RegularFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void readsOnlyRegularFilesWithinTheCap_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<bool>("read");
        QTest::newRow("regular file") << "file" << qint64(5) << true;
        QTest::newRow("empty file") << "empty" << qint64(5) << true;
        QTest::newRow("larger than the cap") << "file" << qint64(4) << false;
        QTest::newRow("named pipe without a writer") << "fifo" << qint64(5) << false;
        QTest::newRow("folder") << "folder" << qint64(5) << false;
        QTest::newRow("character device") << "device" << qint64(5) << false;
        QTest::newRow("missing") << "missing" << qint64(5) << false;
    }

    void readsOnlyRegularFilesWithinTheCap()
    {
        QFETCH(QString, kind);
        QFETCH(qint64, cap);
        QFETCH(bool, read);
        const QString path = place(kind);
        const std::optional<QByteArray> bytes = RegularFile::readAll(path, cap);
        QCOMPARE(bytes.has_value(), read);
        if (read)
            QCOMPARE(*bytes, kind == "empty" ? QByteArray() : QByteArray("hello"));
        // The property-list reader shares the rule (none of these is a property list).
        QVERIFY(!PropertyList::readFile(path));
    }

    void openKeepsTheFileItFound()
    {
        const QString path = m_dir->filePath("a");
        QVERIFY(writeBytes(path, "first"));
        std::optional<RegularFile> file = RegularFile::open(path);
        QVERIFY(file);
        QCOMPARE(file->size(), qint64(5));
        // Replaced by rename, as every writer here does: the open file is still the first one.
        QVERIFY(writeBytes(path + ".new", "second version"));
        QVERIFY(::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()) == 0);
        QCOMPARE(file->contents(1024), std::optional(QByteArray("first")));
        QVERIFY(file->contents(1024, 64)->capacity() >= 5 + 64);

        // Grown in place since it was opened: it is being written, so it is refused.
        std::optional<RegularFile> growing = RegularFile::open(path);
        QVERIFY(growing);
        QFile appender(path);
        QVERIFY(appender.open(QIODevice::Append));
        appender.write(" and more");
        appender.close();
        QVERIFY(!growing->contents(1024));

        const int descriptor = growing->release();
        QVERIFY(descriptor >= 0);
        QCOMPARE(growing->descriptor(), -1);
        ::close(descriptor);
    }

    // Both give what was opened, even once another file has taken its path.
    void linksAndCopiesTheFileItOpened_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("link") << true;
        QTest::newRow("copy") << false;
    }

    void linksAndCopiesTheFileItOpened()
    {
        QFETCH(bool, link);
        const QString path = m_dir->filePath("source");
        QVERIFY(writeBytes(path, "opened"));
        const std::optional<RegularFile> file = RegularFile::open(path);
        QVERIFY(file);
        QVERIFY(QFile::rename(path, m_dir->filePath("moved")));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const QString target = m_dir->filePath("target");
        QVERIFY(writeBytes(target, "an older, longer target"));

        QString error;
        if (link)
            QVERIFY(!file->linkTo(target, &error)); // a link never replaces a file
        QVERIFY(QFile::remove(target) || !link);
        QVERIFY2(link ? file->linkTo(target, &error) : file->copyTo(target, &error), qPrintable(error));
        QCOMPARE(RegularFile::readAll(target, 1024), std::optional(QByteArray("opened")));
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &status), 0);
        QCOMPARE(status.st_ino == file->status().st_ino, link);

        // Into a folder that is not there: the reason is the system's.
        QVERIFY(!(link ? file->linkTo(m_dir->filePath("none/target"), &error)
                       : file->copyTo(m_dir->filePath("none/target"), &error)));
        QVERIFY2(error.contains(QLatin1String("No such file or directory")), qPrintable(error));
    }

private:
    static bool writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // A thing of the kind at a path in the test's folder.
    QString place(const QString& kind)
    {
        if (kind == "device")
            return QStringLiteral("/dev/zero");
        const QString path = m_dir->filePath(kind);
        if (kind == "file")
            writeBytes(path, "hello");
        else if (kind == "empty")
            writeBytes(path, {});
        else if (kind == "fifo")
            ::mkfifo(QFile::encodeName(path).constData(), 0600);
        else if (kind == "folder")
            QDir(m_dir->path()).mkdir(kind);
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(RegularFileTest)
#include "tst_regularfile.moc"
