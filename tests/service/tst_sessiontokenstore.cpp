#include "Keychain.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

const QString service = QStringLiteral("com.lanto.mac");
const QString account = QStringLiteral("session-token");

mode_t modeOf(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return mode_t(-1);
    return info.st_mode & 07777;
}

} // namespace

class TestSessionTokenStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void missingItemLoadsNothing();
    void roundTripsByteForByte_data();
    void roundTripsByteForByte();
    void saveReplacesInPlace();
    void removeIsQuietWhenNothingIsStored();
    void onlyTheOwnerCanReadIt();
    void bytesThatAreNotTextLoadNothing();
    void keychainStatuses();
    void itemNamesStayInsideTheFolder();

private:
    std::unique_ptr<TemporaryHome> m_home;
};

void TestSessionTokenStore::missingItemLoadsNothing()
{
    QVERIFY(!SessionTokenStore::load());
    QVERIFY(!QFileInfo::exists(Keychain::directory())); // reading creates nothing
}

void TestSessionTokenStore::roundTripsByteForByte_data()
{
    QTest::addColumn<QString>("token");
    QTest::newRow("ascii") << QStringLiteral("eyJhbGciOi.J9.abc-_");
    QTest::newRow("non-ascii") << QStringLiteral("tök€n-日本-🔑");
    QTest::newRow("spaces and newline") << QStringLiteral(" a b\n");
    QTest::newRow("empty") << QString();
}

void TestSessionTokenStore::roundTripsByteForByte()
{
    QFETCH(QString, token);
    QVERIFY(SessionTokenStore::save(token));
    QCOMPARE(SessionTokenStore::load(), std::optional<QString>(token));
    QFile file(Keychain::itemPath(service, account));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), token.toUtf8()); // nothing before or after it
}

void TestSessionTokenStore::saveReplacesInPlace()
{
    QVERIFY(SessionTokenStore::save("first"));
    QVERIFY(SessionTokenStore::save("second"));
    QCOMPARE(SessionTokenStore::load(), std::optional<QString>("second"));
    // One item, and no temporary file left beside it.
    QCOMPARE(QDir(Keychain::directory()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    SessionTokenStore::remove();
    QVERIFY(!SessionTokenStore::load());
}

void TestSessionTokenStore::removeIsQuietWhenNothingIsStored()
{
    SessionTokenStore::remove();
    QVERIFY(!SessionTokenStore::load());
    QCOMPARE(Keychain::remove(service, account), Keychain::Status::itemNotFound);
}

void TestSessionTokenStore::onlyTheOwnerCanReadIt()
{
    // Even a process that lets everyone read its new files, and a folder that was open.
    const mode_t previous = ::umask(0);
    QVERIFY(QDir().mkpath(Keychain::directory()));
    QVERIFY(QFile::setPermissions(Keychain::directory(), QFileDevice::Permissions(0x7777)));
    const bool saved = SessionTokenStore::save("secret");
    ::umask(previous);
    QVERIFY(saved);
    QCOMPARE(modeOf(Keychain::itemPath(service, account)), mode_t(0600));
    QCOMPARE(modeOf(Keychain::directory()), mode_t(0700));
    QVERIFY(SessionTokenStore::save("again"));
    QCOMPARE(modeOf(Keychain::itemPath(service, account)), mode_t(0600));
}

void TestSessionTokenStore::bytesThatAreNotTextLoadNothing()
{
    QCOMPARE(Keychain::add(service, account, QByteArray("\xff\xfe\x80", 3)), Keychain::Status::success);
    QVERIFY(!SessionTokenStore::load());
}

void TestSessionTokenStore::keychainStatuses()
{
    QByteArray data;
    QCOMPARE(Keychain::find("s", "a", &data), Keychain::Status::itemNotFound);
    QCOMPARE(Keychain::update("s", "a", "x"), Keychain::Status::itemNotFound);
    QCOMPARE(Keychain::add("s", "a", "x"), Keychain::Status::success);
    QCOMPARE(Keychain::add("s", "a", "y"), Keychain::Status::duplicateItem);
    QCOMPARE(Keychain::update("s", "a", "z"), Keychain::Status::success);
    QCOMPARE(Keychain::find("s", "a", &data), Keychain::Status::success);
    QCOMPARE(data, QByteArray("z"));
    // Items are told apart by the pair, not by either half.
    QCOMPARE(Keychain::find("s", "b", &data), Keychain::Status::itemNotFound);
    QCOMPARE(Keychain::remove("s", "a"), Keychain::Status::success);
    QCOMPARE(Keychain::find("s", "a", &data), Keychain::Status::itemNotFound);
}

void TestSessionTokenStore::itemNamesStayInsideTheFolder()
{
    const QString path = Keychain::itemPath("../..", "a/b+c");
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(Keychain::directory()).absolutePath());
    QVERIFY(Keychain::itemPath("a+b", "c") != Keychain::itemPath("a", "b+c"));
    QCOMPARE(Keychain::add("../..", "a/b+c", "x"), Keychain::Status::success);
    QVERIFY(QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestSessionTokenStore)
#include "tst_sessiontokenstore.moc"
