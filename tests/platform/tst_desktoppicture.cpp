#include "DesktopPicture.h"
#include "FakeDesktopPicture.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <thread>

namespace {

ConnectedDisplay displayWithUuid(const QString& uuid)
{
    ConnectedDisplay display;
    display.number = 1;
    display.localizedName = QStringLiteral("Test display");
    display.uuid = uuid;
    return display;
}

const DesktopPictureOptions standardOptions { DesktopPictureOptions::scaleProportionallyUpOrDown, true };

} // namespace

class tst_DesktopPicture : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void roundTripPerDisplay();
    void aSecondStoreSeesTheFirstOnesPictures();
    void concurrentChangesToOtherDisplaysAreAllKept();
    void emptyPathClearsThePicture();
    void refusesWhatCannotBeAPicture_data();
    void refusesWhatCannotBeAPicture();
    void unreadableFileReadsAsEmpty_data();
    void unreadableFileReadsAsEmpty();
    void fakeRecordsAndFailsAsTold();

private:
    QString writePicture(const QString& name);

    std::unique_ptr<TemporaryHome> m_home;
    const ConnectedDisplay m_left = displayWithUuid(QStringLiteral("00000000-0000-4000-8000-000000000001"));
    const ConnectedDisplay m_right = displayWithUuid(QStringLiteral("00000000-0000-4000-8000-000000000002"));
};

void tst_DesktopPicture::init() { m_home = std::make_unique<TemporaryHome>(); }

void tst_DesktopPicture::cleanup() { m_home.reset(); }

QString tst_DesktopPicture::writePicture(const QString& name)
{
    const QString path = m_home->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("not really a picture, but a file");
    return path;
}

void tst_DesktopPicture::roundTripPerDisplay()
{
    FileDesktopPicture pictures;
    QCOMPARE(pictures.desktopImageUrl(m_left), std::nullopt);

    const QUrl beach = QUrl::fromLocalFile(writePicture(QStringLiteral("beach with spaces.png")));
    const QUrl forest = QUrl::fromLocalFile(writePicture(QStringLiteral("forest.png")));
    QString error;
    QVERIFY2(pictures.setDesktopImageUrl(beach, m_left, standardOptions, &error), qPrintable(error));
    QVERIFY(pictures.setDesktopImageUrl(forest, m_right, DesktopPictureOptions(), &error));

    QCOMPARE(pictures.desktopImageUrl(m_left), std::optional<QUrl>(beach));
    QCOMPARE(pictures.desktopImageUrl(m_right), std::optional<QUrl>(forest));
    QVERIFY(pictures.desktopImageOptions(m_left) == standardOptions);
    QVERIFY(pictures.desktopImageOptions(m_right) == DesktopPictureOptions());
    QVERIFY(QFileInfo::exists(m_home->filePath(QStringLiteral(".config/lanto/desktop-pictures.json"))));

    // Replacing one display's picture leaves the other's alone.
    QVERIFY(pictures.setDesktopImageUrl(forest, m_left, standardOptions));
    QCOMPARE(pictures.desktopImageUrl(m_left), std::optional<QUrl>(forest));
    QCOMPARE(pictures.desktopImageUrl(m_right), std::optional<QUrl>(forest));
}

void tst_DesktopPicture::aSecondStoreSeesTheFirstOnesPictures()
{
    // Both programs keep their own store over the same file.
    FileDesktopPicture application;
    FileDesktopPicture agent;
    const QUrl picture = QUrl::fromLocalFile(writePicture(QStringLiteral("poster.png")));
    QVERIFY(agent.desktopImageUrl(m_left) == std::nullopt);
    QVERIFY(application.setDesktopImageUrl(picture, m_left, standardOptions));
    QCOMPARE(agent.desktopImageUrl(m_left), std::optional<QUrl>(picture));
}

void tst_DesktopPicture::concurrentChangesToOtherDisplaysAreAllKept()
{
    // Two writers, as the two programs would be, each changing its own display's picture.
    const QString left = writePicture(QStringLiteral("left.png"));
    const QString right = writePicture(QStringLiteral("right.png"));
    auto keepSetting = [](const ConnectedDisplay& display, const QString& picture) {
        FileDesktopPicture pictures;
        for (int i = 0; i < 40; ++i)
            pictures.setDesktopImageUrl(QUrl::fromLocalFile(picture), display, standardOptions);
    };
    std::thread leftWriter(keepSetting, m_left, left);
    std::thread rightWriter(keepSetting, m_right, right);
    leftWriter.join();
    rightWriter.join();

    FileDesktopPicture pictures;
    QCOMPARE(pictures.desktopImageUrl(m_left), std::optional(QUrl::fromLocalFile(left)));
    QCOMPARE(pictures.desktopImageUrl(m_right), std::optional(QUrl::fromLocalFile(right)));
}

void tst_DesktopPicture::emptyPathClearsThePicture()
{
    FileDesktopPicture pictures;
    const QUrl picture = QUrl::fromLocalFile(writePicture(QStringLiteral("poster.png")));
    QVERIFY(pictures.setDesktopImageUrl(picture, m_left, standardOptions));
    QVERIFY(pictures.setDesktopImageUrl(picture, m_right, standardOptions));

    QVERIFY(pictures.setDesktopImageUrl(QUrl::fromLocalFile(QString()), m_left, DesktopPictureOptions()));
    QCOMPARE(pictures.desktopImageUrl(m_left), std::nullopt);
    QCOMPARE(pictures.desktopImageUrl(m_right), std::optional<QUrl>(picture));
}

void tst_DesktopPicture::refusesWhatCannotBeAPicture_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("displayHasUuid");
    QTest::newRow("missing file") << "file:///no/such/picture.png" << true;
    QTest::newRow("folder") << "file:///tmp" << true;
    QTest::newRow("web address") << "https://example.com/picture.png" << true;
    QTest::newRow("display without uuid") << "file:///tmp" << false;
}

void tst_DesktopPicture::refusesWhatCannotBeAPicture()
{
    QFETCH(QString, url);
    QFETCH(bool, displayHasUuid);
    FileDesktopPicture pictures;
    const QUrl kept = QUrl::fromLocalFile(writePicture(QStringLiteral("kept.png")));
    QVERIFY(pictures.setDesktopImageUrl(kept, m_left, standardOptions));

    const ConnectedDisplay display = displayHasUuid ? m_left : displayWithUuid(QString());
    QString error;
    QVERIFY(!pictures.setDesktopImageUrl(QUrl(url), display, standardOptions, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(pictures.desktopImageUrl(m_left), std::optional<QUrl>(kept));
}

void tst_DesktopPicture::unreadableFileReadsAsEmpty_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not json") << QByteArray("{\"displays\": {\"00000000");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01garbage", 11);
    QTest::newRow("wrong shapes") << QByteArray(R"({"displays": [1, 2, 3]})");
    QTest::newRow("entry not an object") << QByteArray(R"({"displays": {"00000000-0000-4000-8000-000000000001": 7}})");
    QTest::newRow("url not a file") << QByteArray(
        R"({"displays": {"00000000-0000-4000-8000-000000000001": {"url": "https://x/y.png"}}})");
    QTest::newRow("oversized") << QByteArray(2 * 1024 * 1024, ' ');
}

void tst_DesktopPicture::unreadableFileReadsAsEmpty()
{
    QFETCH(QByteArray, content);
    const QString path = FileDesktopPicture::filePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    FileDesktopPicture pictures;
    QCOMPARE(pictures.desktopImageUrl(m_left), std::nullopt);

    // The next set starts afresh and leaves a readable file.
    const QUrl picture = QUrl::fromLocalFile(writePicture(QStringLiteral("fresh.png")));
    QVERIFY(pictures.setDesktopImageUrl(picture, m_left, standardOptions));
    QCOMPARE(pictures.desktopImageUrl(m_left), std::optional<QUrl>(picture));
}

void tst_DesktopPicture::fakeRecordsAndFailsAsTold()
{
    FakeDesktopPicture pictures;
    const QUrl picture(QStringLiteral("file:///pictures/a.png"));
    QVERIFY(pictures.setDesktopImageUrl(picture, m_left, standardOptions));
    QCOMPARE(pictures.desktopImageUrl(m_left), std::optional<QUrl>(picture));

    pictures.setReadable(false);
    QCOMPARE(pictures.desktopImageUrl(m_left), std::nullopt);

    pictures.failWith(QStringLiteral("The operation couldn't be completed."));
    QString error;
    QVERIFY(!pictures.setDesktopImageUrl(picture, m_right, standardOptions, &error));
    QCOMPARE(error, QStringLiteral("The operation couldn't be completed."));
    QCOMPARE(pictures.picture(m_right.uuid), std::nullopt);
    QCOMPARE(pictures.setCalls().size(), 2);
    QCOMPARE(pictures.setCalls().last().displayUuid, m_right.uuid);
}

QTEST_GUILESS_MAIN(tst_DesktopPicture)

#include "tst_desktoppicture.moc"
