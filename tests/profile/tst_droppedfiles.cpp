#include "DroppedFiles.h"
#include "ImportFileTypes.h"
#include "TestPictures.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

// Which files a drop takes, and the copies it hands on.
class DroppedFilesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_source;

    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_source.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(name));
        file.write(bytes);
        return file.fileName();
    }

private slots:
    void judgesKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind"); // -1: not accepted
        using Kind = ImportFileTypes::Kind;
        QTest::newRow("QuickTime movie is a movie first") << "Sunset.mov" << QByteArray("x") << int(Kind::movie);
        QTest::newRow("MPEG-4") << "a.MP4" << QByteArray("x") << int(Kind::movie);
        QTest::newRow("Matroska") << "a.mkv" << QByteArray("x") << int(Kind::movie);
        QTest::newRow("JPEG") << "a.jpeg" << QByteArray("\xFF\xD8\xFF\xE0") << int(Kind::jpeg);
        QTest::newRow("HEIC") << "a.heic" << QByteArray("x") << int(Kind::heic);
        QTest::newRow("TIFF") << "a.tif" << QByteArray("II*\0", 4) << int(Kind::tiff);
        QTest::newRow("PDF") << "doc.pdf" << QByteArray("%PDF-1.4\n") << -1;
        QTest::newRow("text") << "notes.txt" << QByteArray("hello") << -1;
    }

    void judgesKinds()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        const std::optional<ImportFileTypes::Kind> found = ImportFileTypes::kindOf(write(name, bytes));
        QCOMPARE(found ? int(*found) : -1, kind);
    }

    void acceptsPicturesButNotFoldersOrRemoteFiles()
    {
        const QUrl picture = TestPictures::stripes(QDir(m_source.path()), "p.png", { 8, 8 }, { Qt::red });
        QCOMPARE(ImportFileTypes::kindOf(picture.toLocalFile()), ImportFileTypes::Kind::png);
        QDir(m_source.path()).mkdir("folder.mov");
        QVERIFY(!DroppedFiles::accepts({ QUrl::fromLocalFile(m_source.filePath("folder.mov")) }));
        QVERIFY(!DroppedFiles::accepts({ QUrl("https://example.com/a.mov") }));
        QVERIFY(DroppedFiles::accepts({ QUrl("https://example.com/a.mov"), picture }));
    }

    void copiesTheAcceptedFilesUnderFreshNames()
    {
        QTemporaryDir destination;
        DroppedFiles drops(destination.path(), nullptr);
        QSignalSpy copied(&drops, &DroppedFiles::copied);
        const QString first = write("Sunset.mov", "first");
        const QString second = write("Beach.mov", "second");
        drops.take({ QUrl::fromLocalFile(first), QUrl::fromLocalFile(write("doc.pdf", "%PDF-1.4\n")),
            QUrl::fromLocalFile(second) });
        QVERIFY(copied.wait());
        const QList<QUrl> copies = copied.at(0).at(0).value<QList<QUrl>>();
        QCOMPARE(copies.size(), 2);
        static const QRegularExpression name("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}-(Sunset|Beach)\\.mov$");
        QStringList contents;
        for (const QUrl& copy : copies) {
            QCOMPARE(QFileInfo(copy.toLocalFile()).absolutePath(), QDir(destination.path()).absolutePath());
            QVERIFY2(name.match(copy.fileName()).hasMatch(), qPrintable(copy.fileName()));
            QFile file(copy.toLocalFile());
            QVERIFY(file.open(QIODevice::ReadOnly));
            contents.append(QString::fromLatin1(file.readAll()));
        }
        contents.sort();
        QCOMPARE(contents, (QStringList { "first", "second" }));
        QVERIFY(copies.at(0).fileName() != copies.at(1).fileName());
    }

    void handsOnNothingWhenNothingIsAccepted()
    {
        QTemporaryDir destination;
        DroppedFiles drops(destination.path(), nullptr);
        QSignalSpy copied(&drops, &DroppedFiles::copied);
        drops.take({ QUrl::fromLocalFile(write("doc.pdf", "%PDF-1.4\n")) });
        // The copying runs on the thread pool; once it is idle the result has been posted.
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(copied.count(), 0);
        QVERIFY(QDir(destination.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(DroppedFilesTest)
#include "tst_droppedfiles.moc"
