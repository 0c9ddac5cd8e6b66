#include "DesktopWindowController.h"
#include "LogCapture.h"
#include "TemporaryHome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

#include <latch>
#include <thread>
#include <vector>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString wroteLine(const QString& path) { return QStringLiteral("Lanto: Wrote blackout image to ") + path; }

// A 2x2 PNG of 8-bit RGBA samples, every pixel opaque black.
void verifyBlackout(const QString& path)
{
    const QByteArray png = contents(path);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(png.mid(16, 8), QByteArray::fromHex("0000000200000002")); // width, height
    QCOMPARE(quint8(png.at(24)), quint8(8)); // bits per sample
    QCOMPARE(quint8(png.at(25)), quint8(6)); // truecolour with alpha
    const QImage image = QImage::fromData(png, "PNG");
    QCOMPARE(image.size(), QSize(2, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x)
            QCOMPARE(image.pixel(x, y), qRgba(0, 0, 0, 255));
    }
}

} // namespace

class tst_BlackoutImage : public QObject
{
    Q_OBJECT

private slots:
    void firstUseWritesItOnceEvenWhenRacing();
    void laterUsesDoNotLookAtTheDisk();
    void existingFileIsLeftAlone_data();
    void existingFileIsLeftAlone();
    void failedWriteLeavesNoFileButLogs();

private:
    // Set before the first use of the application-support folder in this process.
    TemporaryHome m_home;
};

void tst_BlackoutImage::firstUseWritesItOnceEvenWhenRacing()
{
    const QString path = QDir(m_home.appSupportPath()).filePath(QStringLiteral("Blackout.png"));
    LogCapture log;

    constexpr int users = 8;
    std::latch start(users);
    std::vector<QUrl> urls(users);
    std::vector<std::thread> threads;
    for (int i = 0; i < users; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            urls[i] = DesktopWindowController::blackoutImageURL();
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (const QUrl& url : urls)
        QCOMPARE(url, QUrl::fromLocalFile(path));
    QCOMPARE(log.lines(), QStringList { wroteLine(path) });
    verifyBlackout(path);
    // Written whole in one step: nothing else is left in the folder.
    QCOMPARE(QDir(m_home.appSupportPath()).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("Blackout.png") });
}

void tst_BlackoutImage::laterUsesDoNotLookAtTheDisk()
{
    const QUrl url = DesktopWindowController::blackoutImageURL();
    QVERIFY(QFile::remove(url.toLocalFile()));
    LogCapture log;
    QCOMPARE(DesktopWindowController::blackoutImageURL(), url);
    QVERIFY(!QFile::exists(url.toLocalFile()));
    QVERIFY(log.lines().isEmpty());
}

void tst_BlackoutImage::existingFileIsLeftAlone_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("unreadable");

    QImage white(4, 4, QImage::Format_RGB32);
    white.fill(Qt::white);
    QByteArray whitePng;
    QBuffer buffer(&whitePng);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && white.save(&buffer, "PNG"));

    QTest::newRow("not a picture") << QByteArray("hello") << false;
    QTest::newRow("a white picture") << whitePng << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("unreadable") << QByteArray("secret") << true;
}

void tst_BlackoutImage::existingFileIsLeftAlone()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, unreadable);
    const QString path = m_home.filePath(QStringLiteral("Existing.png"));
    write(path, bytes);
    if (unreadable)
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));

    LogCapture log;
    DesktopWindowController::ensureBlackoutImage(path);
    QVERIFY(log.lines().isEmpty());
    if (unreadable) {
        QVERIFY(!QFile::permissions(path).testFlag(QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    }
    QCOMPARE(contents(path), bytes);
}

void tst_BlackoutImage::failedWriteLeavesNoFileButLogs()
{
    const QString path = m_home.filePath(QStringLiteral("missing folder/Blackout.png"));
    LogCapture log;
    DesktopWindowController::ensureBlackoutImage(path);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(log.lines(), QStringList { wroteLine(path) });
}

QTEST_GUILESS_MAIN(tst_BlackoutImage)
#include "tst_blackoutimage.moc"
