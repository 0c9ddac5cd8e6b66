#include "AuthService.h"
#include "AwaitFuture.h"
#include "FakeBrowser.h"
#include "FakeWebService.h"
#include "Keychain.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "WebAuthSession.h"

#include <QtTest>

namespace {

const QJsonObject profile { { "id", "prof-2" }, { "name", "Ada L." }, { "handle", "ada" }, { "email", "ada@example" },
    { "avatarColor", "#112233" }, { "isVerified", true }, { "wallpaperCount", 3 }, { "followerCount", 40 },
    { "createdAt", "2024-05-01" } };

QJsonObject exchange(const QJsonValue& accountProfile = QJsonValue::Undefined)
{
    QJsonObject answer { { "sessionToken", "new-token" }, { "profileId", "prof-1" }, { "appleUserID", "001.apple" } };
    if (!accountProfile.isUndefined())
        answer.insert("profile", accountProfile);
    return answer;
}

QString stateOf(const QUrl& url) { return QUrlQuery(url).queryItemValue("state"); }

} // namespace

class TestAuthService : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void restore_data();
    void restore();
    void authorizationAddress();
    void authorizationAddressOfALocalService();
    void callbacks_data();
    void callbacks();
    void forgedCallbacksAreRefused();
    void abandonedSignInsEnd();
    void exchangeAppliesTheProfile_data();
    void exchangeAppliesTheProfile();
    void failedExchangeChangesNothing();
    void tokenThatCannotBeStoredFailsTheSignIn();
    void refresh_data();
    void refresh();
    void publishesOnlyChanges();

private:
    std::unique_ptr<AuthService> makeService();
    // Starts a sign-in and answers it with the query, the pending state put in for "STATE".
    void callBack(AuthService& auth, QString query);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<VirtualScheduler> m_writes;
    std::unique_ptr<LantoSettings> m_settings;
    std::unique_ptr<FakeWebService> m_service;
    std::unique_ptr<LantoAPIClient> m_client;
    FakeBrowser m_browser;
};

void TestAuthService::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_writes = std::make_unique<VirtualScheduler>();
    m_settings = std::make_unique<LantoSettings>(m_home->appSupportPath(), *m_writes);
    m_service = std::make_unique<FakeWebService>();
    m_client = std::make_unique<LantoAPIClient>(m_service->baseURL());
    m_browser.opened.clear();
}

void TestAuthService::cleanup()
{
    m_client.reset();
    m_service.reset();
    m_settings.reset();
    m_writes.reset();
    m_home.reset();
}

std::unique_ptr<AuthService> TestAuthService::makeService()
{
    return std::make_unique<AuthService>(*m_client, *m_settings, m_browser);
}

void TestAuthService::callBack(AuthService& auth, QString query)
{
    auth.setIsLoading(true);
    auth.signIn();
    query.replace("STATE", stateOf(m_browser.opened.constLast()));
    auth.handleCallback(QUrl("lanto://auth" + query));
}

void TestAuthService::authorizationAddressOfALocalService()
{
    AuthService::SignInAddresses addresses;
    addresses.authorizePage = QUrl("http://127.0.0.1:4000/auth/authorize");
    addresses.callbackFollowsService = true;
    AuthService auth(*m_client, *m_settings, m_browser, addresses);
    auth.signIn();
    const QUrl url = m_browser.opened.constLast();
    QCOMPARE(url.toString(QUrl::RemoveQuery), QStringLiteral("http://127.0.0.1:4000/auth/authorize"));
    // The callback keeps the service's scheme and port, so the browser reaches it.
    QCOMPARE(QUrlQuery(url).queryItemValue("redirect_uri", QUrl::FullyDecoded),
        m_service->url("/api/v1/auth/apple/callback").toString());
    QCOMPARE(QUrlQuery(url).queryItems().size(), 5);
}

void TestAuthService::restore_data()
{
    QTest::addColumn<bool>("userKey");
    QTest::addColumn<bool>("token");
    QTest::addColumn<bool>("signedIn");

    QTest::newRow("key and token") << true << true << true;
    QTest::newRow("key without token") << true << false << false;
    QTest::newRow("token without key") << false << true << false;
}

void TestAuthService::restore()
{
    QFETCH(bool, userKey);
    QFETCH(bool, token);
    QFETCH(bool, signedIn);

    if (userKey) {
        m_settings->set(SettingsKey::appleUserID, PlistValue("001.apple"));
        m_settings->set(SettingsKey::appleDisplayName, PlistValue("Ada"));
        m_settings->set(SettingsKey::handle, PlistValue("ada"));
    }
    if (token)
        QVERIFY(SessionTokenStore::save("stored"));
    m_service->on("GET", "me", FakeReply::failure("later", 500));

    const auto auth = makeService();
    QCOMPARE(auth->isSignedIn(), signedIn);
    QCOMPARE(auth->userID(), userKey ? QStringLiteral("001.apple") : QString());
    QCOMPARE(auth->displayName(), userKey ? QStringLiteral("Ada") : QString());
    QCOMPARE(auth->handle(), userKey ? QStringLiteral("ada") : QString());
    QCOMPARE(auth->sessionToken(), signedIn ? QStringLiteral("stored") : QString());
    if (signedIn)
        QTRY_COMPARE(m_service->requestCount("GET", "me"), 1);
    QTest::qWait(0);
    QCOMPARE(m_service->requestCount(), signedIn ? 1 : 0);
    QCOMPARE(SessionTokenStore::load().has_value(), token); // restoring never deletes the item
}

void TestAuthService::authorizationAddress()
{
    LogCapture log;
    const auto auth = makeService();
    auth->signIn();
    auth->signIn();
    QCOMPARE(m_browser.opened.size(), 2);
    const QUrl url = m_browser.opened[0];
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QCOMPARE(url.path(), QStringLiteral("/auth/authorize"));
    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    QStringList names;
    for (const auto& item : items)
        names << item.first;
    QCOMPARE(names, (QStringList { "client_id", "redirect_uri", "response_type", "response_mode", "state" }));
    QCOMPARE(items[0].second, QStringLiteral("com.lanto.mac.web"));
    QCOMPARE(items[1].second, QStringLiteral("https://127.0.0.1/api/v1/auth/apple/callback"));
    QCOMPARE(items[2].second, QStringLiteral("code"));
    QCOMPARE(items[3].second, QStringLiteral("query"));
    const QString state = items[4].second;
    QCOMPARE(state.size(), 36);
    QCOMPARE(state, state.toUpper());
    QVERIFY(!QUuid::fromString(state).isNull());
    QVERIFY(stateOf(m_browser.opened[1]) != state);
    QCOMPARE(log.lines().count("Lanto: Opening Apple web sign-in in browser"), 2);
}

void TestAuthService::callbacks_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("exchanged"); // the code sent, or null for none
    QTest::addColumn<QString>("error");

    QTest::newRow("code") << "?code=c1"
                          << "c1" << QString();
    QTest::newRow("code twice: the last wins") << "?code=c1&code=c2"
                                               << "c2" << QString();
    QTest::newRow("code without value") << "?code" << QString() << "Missing auth code in callback";
    QTest::newRow("empty code is a code") << "?code="
                                          << "" << QString();
    QTest::newRow("error wins over code")
        << "?code=c1&error=user_cancelled" << QString() << "Sign in failed: user_cancelled";
    QTest::newRow("no query") << "" << QString() << "Invalid callback URL";
    QTest::newRow("neither") << "?foo=bar" << QString() << "Missing auth code in callback";
    QTest::newRow("matching state") << "?state=STATE&code=c%2F3"
                                    << "c/3" << QString();
}

void TestAuthService::callbacks()
{
    QFETCH(QString, query);
    QFETCH(QString, exchanged);
    QFETCH(QString, error);

    m_service->on("POST", "auth/exchange", FakeReply::ok(exchange()));
    LogCapture log;
    const auto auth = makeService();
    callBack(*auth, query);
    if (exchanged.isNull()) {
        QCOMPARE(auth->isLoading(), false);
        QCOMPARE(auth->signInError(), error);
        QTest::qWait(50);
        QCOMPARE(m_service->requestCount(), 0);
        if (error.startsWith("Sign in failed"))
            QVERIFY(log.contains("Lanto: Web OAuth error — user_cancelled"));
        if (error.startsWith("Missing"))
            QVERIFY(log.lines().constLast().startsWith("Lanto: Web OAuth missing code. Params: "));
        return;
    }
    QTRY_VERIFY(auth->isSignedIn());
    QCOMPARE(m_service->requests().constFirst().jsonBody(), (QJsonObject { { "code", exchanged } }));
    QCOMPARE(auth->isLoading(), false);
}

void TestAuthService::forgedCallbacksAreRefused()
{
    m_service->on("POST", "auth/exchange", FakeReply::ok(exchange()));
    const auto auth = makeService();
    // No sign-in under way.
    auth->handleCallback(QUrl("lanto://auth?code=forged"));
    // A sign-in under way, answered with another one's state.
    auth->setIsLoading(true);
    auth->signIn();
    auth->handleCallback(QUrl("lanto://auth?state=00000000-0000-0000-0000-000000000000&code=forged"));
    QTest::qWait(50);
    QCOMPARE(m_service->requestCount(), 0);
    QVERIFY(!auth->isSignedIn());
    QVERIFY(auth->isLoading()); // the real callback can still come
    QVERIFY(auth->signInError().isNull());

    auth->handleCallback(QUrl("lanto://auth?code=real&state=" + stateOf(m_browser.opened.constLast())));
    QTRY_VERIFY(auth->isSignedIn());
    // The pending sign-in is used up.
    auth->handleCallback(QUrl("lanto://auth?code=again"));
    QTest::qWait(50);
    QCOMPARE(m_service->requestCount(), 1);
}

// A page closed in the browser leaves the buttons usable: a new sign-in
// replaces it, and an unanswered one ends by itself.
void TestAuthService::abandonedSignInsEnd()
{
    using namespace std::chrono_literals;
    m_service->on("POST", "auth/exchange", FakeReply::ok(exchange()));
    LogCapture log;
    const auto auth = makeService();
    auth->setSignInTimes(30ms, 10min);

    auth->beginSignIn();
    QVERIFY(auth->isLoading());
    auth->beginSignIn(); // a second press while the browser comes up
    QCOMPARE(m_browser.opened.size(), 1);
    QTRY_VERIFY(!auth->isLoading());
    const QString abandoned = stateOf(m_browser.opened.constLast());

    auth->beginSignIn();
    QCOMPARE(m_browser.opened.size(), 2);
    QVERIFY(log.contains("Lanto: A new web sign-in replaces the one left unfinished"));
    auth->handleCallback(QUrl("lanto://auth?code=old&state=" + abandoned));
    QVERIFY(log.contains("Lanto: Ignoring a sign-in callback for another sign-in"));
    auth->handleCallback(QUrl("lanto://auth?code=new&state=" + stateOf(m_browser.opened.constLast())));
    QVERIFY(auth->isLoading()); // while the code is exchanged
    QTRY_VERIFY(auth->isSignedIn());
    QCOMPARE(m_service->requestCount(), 1);
    QCOMPARE(m_service->requests().constFirst().jsonBody(), (QJsonObject { { "code", "new" } }));
    QVERIFY(!auth->isLoading());

    auth->signOut();
    auth->setSignInTimes(10min, 30ms);
    auth->beginSignIn();
    QTRY_VERIFY(!auth->isLoading());
    QVERIFY(log.contains("Lanto: The web sign-in was not finished in time"));
    auth->handleCallback(QUrl("lanto://auth?code=late&state=" + stateOf(m_browser.opened.constLast())));
    QVERIFY(log.contains("Lanto: Ignoring a sign-in callback while no sign-in is under way"));
    QVERIFY(!auth->isLoading()); // no exchange started
}

void TestAuthService::exchangeAppliesTheProfile_data()
{
    QTest::addColumn<QJsonValue>("accountProfile");
    QTest::addColumn<QString>("handle");
    QTest::addColumn<bool>("needsSetup");

    const QJsonObject base { { "name", "Ada" }, { "isVerified", true }, { "wallpaperCount", 2 }, { "followerCount", 5 },
        { "avatarColor", "#AA00FF" }, { "createdAt", "2024-01-01" } };
    QJsonObject withHandle = base;
    withHandle.insert("handle", "ada");
    QJsonObject emptyHandle = base;
    emptyHandle.insert("handle", "");
    QTest::newRow("no profile") << QJsonValue(QJsonValue::Undefined) << QString() << false;
    QTest::newRow("no handle") << QJsonValue(base) << QString() << true;
    QTest::newRow("empty handle") << QJsonValue(emptyHandle) << QString() << false;
    QTest::newRow("handle") << QJsonValue(withHandle) << "ada" << false;
}

void TestAuthService::exchangeAppliesTheProfile()
{
    QFETCH(QJsonValue, accountProfile);
    QFETCH(QString, handle);
    QFETCH(bool, needsSetup);

    m_service->on("POST", "auth/exchange", FakeReply::ok(exchange(accountProfile)));
    LogCapture log;
    const auto auth = makeService();
    callBack(*auth, "?code=c");
    QTRY_VERIFY(auth->isSignedIn());
    QCOMPARE(SessionTokenStore::load(), std::optional<QString>("new-token"));
    QCOMPARE(auth->sessionToken(), QStringLiteral("new-token"));
    QCOMPARE(auth->userID(), QStringLiteral("001.apple"));
    QCOMPARE(m_settings->string(SettingsKey::appleUserID), std::optional<QString>("001.apple"));
    QCOMPARE(m_settings->string(SettingsKey::profileId), std::optional<QString>("prof-1"));
    QCOMPARE(auth->handle(), handle);
    QCOMPARE(m_settings->string(SettingsKey::handle), handle.isNull() ? std::nullopt : std::optional(handle));
    QCOMPARE(auth->needsProfileSetup(), needsSetup);
    const bool hasProfile = accountProfile.isObject();
    QCOMPARE(auth->displayName(), hasProfile ? QStringLiteral("Ada") : QString());
    QCOMPARE(auth->avatarColor(), hasProfile ? QStringLiteral("#AA00FF") : QString());
    QCOMPARE(auth->followerCount(), hasProfile ? 5 : 0);
    QCOMPARE(m_settings->string(SettingsKey::accountCreatedAt).has_value(), hasProfile);
    QVERIFY(auth->email().isNull());
    QVERIFY(log.contains("Lanto: Web OAuth sign in complete — profile prof-1"));
    QTest::qWait(20);
    QCOMPARE(m_service->requestCount(), 1); // no refresh follows
}

void TestAuthService::failedExchangeChangesNothing()
{
    m_service->on("POST", "auth/exchange", FakeReply::raw(500, {}));
    LogCapture log;
    const auto auth = makeService();
    callBack(*auth, "?code=c");
    QTRY_COMPARE(auth->signInError(), QStringLiteral("Sign in failed: HTTP error 500"));
    QVERIFY(!auth->isLoading());
    QVERIFY(!auth->isSignedIn());
    QVERIFY(!SessionTokenStore::load());
    QVERIFY(!m_settings->string(SettingsKey::appleUserID));
    QVERIFY(log.contains("Lanto: Web OAuth code exchange failed — HTTP error 500"));
}

void TestAuthService::tokenThatCannotBeStoredFailsTheSignIn()
{
    // A file where the keychain folder should be: nothing can be stored.
    QVERIFY(QDir().mkpath(QFileInfo(Keychain::directory()).path()));
    QFile blocker(Keychain::directory());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    m_service->on("POST", "auth/exchange", FakeReply::ok(exchange()));
    const auto auth = makeService();
    callBack(*auth, "?code=c");
    QTRY_VERIFY(!auth->isLoading());
    QVERIFY(!auth->isSignedIn());
    QVERIFY(auth->signInError().startsWith("Sign in failed: "));
    QVERIFY(auth->userID().isNull());
    QVERIFY(!m_settings->string(SettingsKey::appleUserID));
}

void TestAuthService::refresh_data()
{
    QTest::addColumn<FakeReply>("reply");
    QTest::addColumn<bool>("signedOut");

    QTest::newRow("401 signs out") << FakeReply::failure("expired", 401) << true;
    QTest::newRow("500 changes nothing") << FakeReply::raw(500, {}) << false;
    QTest::newRow("profile") << FakeReply::ok(profile) << false;
}

void TestAuthService::refresh()
{
    QFETCH(FakeReply, reply);
    QFETCH(bool, signedOut);

    m_settings->set(SettingsKey::appleUserID, PlistValue("001.apple"));
    m_settings->set(SettingsKey::appleDisplayName, PlistValue("Ada"));
    m_settings->set(SettingsKey::avatarUrl, PlistValue("https://cdn/old.png"));
    m_settings->set(SettingsKey::lastFavoritesSyncAt, PlistValue("2024"));
    QVERIFY(SessionTokenStore::save("stored"));
    m_service->on("GET", "me", reply);
    LogCapture log;
    const auto auth = makeService();
    auth->setIsLoading(true);
    QTRY_COMPARE(m_service->requestCount("GET", "me"), 1);
    QTest::qWait(50);

    if (signedOut) {
        QVERIFY(log.contains("Lanto: Session expired during profile refresh — signing out"));
        QVERIFY(!auth->isSignedIn());
        QVERIFY(auth->userID().isNull() && auth->displayName().isNull() && auth->sessionToken().isNull());
        QVERIFY(auth->isLoading()); // left as it was
        QVERIFY(!SessionTokenStore::load());
        for (const QString& key : { SettingsKey::appleUserID, SettingsKey::appleDisplayName, SettingsKey::avatarUrl,
                 SettingsKey::lastFavoritesSyncAt })
            QVERIFY(!m_settings->value(key));
        return;
    }
    QVERIFY(auth->isSignedIn());
    QVERIFY(log.lines().isEmpty());
    if (reply.status == 500) {
        QCOMPARE(auth->displayName(), QStringLiteral("Ada"));
        QCOMPARE(auth->avatarUrl(), QStringLiteral("https://cdn/old.png"));
        return;
    }
    QCOMPARE(auth->displayName(), QStringLiteral("Ada L."));
    QCOMPARE(auth->email(), QStringLiteral("ada@example"));
    QCOMPARE(auth->profileId(), QStringLiteral("prof-2"));
    QCOMPARE(auth->followerCount(), 40);
    // The profile has no avatar address: gone in memory, kept in the settings.
    QVERIFY(auth->avatarUrl().isNull());
    QCOMPARE(m_settings->string(SettingsKey::avatarUrl), std::optional<QString>("https://cdn/old.png"));
    QCOMPARE(m_settings->string(SettingsKey::appleEmail), std::optional<QString>("ada@example"));
}

void TestAuthService::publishesOnlyChanges()
{
    const auto auth = makeService();
    QSignalSpy names(auth.get(), &AuthService::displayNameChanged);
    auth->setDisplayName("Ada");
    auth->setDisplayName("Ada");
    auth->setDisplayName(""); // an empty name differs from none
    auth->setDisplayName("");
    QCOMPARE(names.count(), 2);
    QSignalSpy images(auth.get(), &AuthService::localAvatarImageChanged);
    QImage image(2, 2, QImage::Format_RGB32);
    auth->setLocalAvatarImage(image);
    auth->setLocalAvatarImage(image);
    QCOMPARE(images.count(), 1);
}

QTEST_GUILESS_MAIN(TestAuthService)
#include "tst_authservice.moc"
