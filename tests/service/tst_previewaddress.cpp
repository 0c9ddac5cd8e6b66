#include "PreviewAddress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Which video addresses from service data may reach the preview player.
class TestPreviewAddress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addresses_data();
    void addresses();
    void linkOutOfTheFolder();

private:
    QTemporaryDir m_base;
    QString m_downloads;
};

void TestPreviewAddress::initTestCase()
{
    m_downloads = m_base.filePath("Downloads");
    QVERIFY(QDir().mkpath(m_downloads + "/c1"));
    QFile content(m_downloads + "/c1/content.mov");
    QVERIFY(content.open(QIODevice::WriteOnly));
}

void TestPreviewAddress::addresses_data()
{
    QTest::addColumn<QString>("address"); // "@" stands for the downloads folder
    QTest::addColumn<bool>("accepted");
    QTest::newRow("https") << "https://cdn.example/p.mov" << true;
    QTest::newRow("http, upper-case scheme") << "HTTP://cdn.example/p.mov" << true;
    QTest::newRow("downloaded file") << "file://@/c1/content.mov" << true;
    QTest::newRow("file not yet there") << "file://@/c2/content.mov" << true;
    QTest::newRow("relative path") << "videos/p.mov" << false;
    QTest::newRow("absolute path without scheme") << "/etc/passwd" << false;
    QTest::newRow("https without host") << "https:///p.mov" << false;
    QTest::newRow("other protocol") << "rtmp://cdn.example/live" << false;
    QTest::newRow("player's own protocol") << "av://lavfi:testsrc" << false;
    QTest::newRow("data") << "data:video/mp4;base64,AAAA" << false;
    QTest::newRow("file elsewhere") << "file:///etc/passwd" << false;
    QTest::newRow("climbing out") << "file://@/../Settings.plist" << false;
    QTest::newRow("the folder itself") << "file://@" << false;
    QTest::newRow("a sibling folder") << "file://@-old/c1/content.mov" << false;
    QTest::newRow("file on another host") << "file://server/share/p.mov" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPreviewAddress::addresses()
{
    QFETCH(QString, address);
    address.replace(u'@', m_downloads);
    QTEST(isAcceptedPreviewAddress(QUrl(address), { m_downloads }), "accepted");
}

// A link inside the folder that points out of it is judged by where it leads.
void TestPreviewAddress::linkOutOfTheFolder()
{
    QFile outside(m_base.filePath("secret.mov"));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(outside.fileName(), m_downloads + "/c1/link.mov"));
    QVERIFY(!isAcceptedPreviewAddress(QUrl::fromLocalFile(m_downloads + "/c1/link.mov"), { m_downloads }));
    QVERIFY(!isAcceptedPreviewAddress(QUrl::fromLocalFile(m_downloads + "/c1/content.mov"), {}));
}

QTEST_GUILESS_MAIN(TestPreviewAddress)
#include "tst_previewaddress.moc"
