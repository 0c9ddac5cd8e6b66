#include "AuthService.h"

#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "Log.h"
#include "ServiceOverrides.h"
#include "SessionTokenStore.h"
#include "SignInCallback.h"
#include "WebAuthSession.h"

#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString webClientID = u"com.lanto.mac.web"_s;

// An empty text is present, a null one absent: they differ here.
bool same(const QString& a, const QString& b) { return a.isNull() == b.isNull() && a == b; }

bool same(const QImage& a, const QImage& b) { return a.cacheKey() == b.cacheKey(); }

template <typename T> bool same(const T& a, const T& b) { return a == b; }

QString orNull(const std::optional<QString>& text) { return text.value_or(QString()); }

bool presentAndNotEmpty(const std::optional<QString>& text) { return text && !text->isEmpty(); }

} // namespace

AuthService& AuthService::shared()
{
    static AuthService* const service = new AuthService(LantoAPIClient::shared(), LantoSettings::shared(),
        WebAuthSession::system(), SignInAddresses::fromEnvironment());
    return *service;
}

AuthService::SignInAddresses AuthService::SignInAddresses::fromEnvironment()
{
    SignInAddresses addresses;
    if (const std::optional<QUrl> page = ServiceOverrides::fromEnvironment("LANTO_AUTHORIZE_URL")) {
        Log::write(u"Lanto: Using the sign-in page from LANTO_AUTHORIZE_URL — "_s + page->toString());
        addresses.authorizePage = *page;
    }
    addresses.callbackFollowsService = ServiceOverrides::fromEnvironment("LANTO_SERVICE_URL").has_value();
    return addresses;
}

AuthService::AuthService(LantoAPIClient& client, LantoSettings& settings, WebAuthSession& browser, QObject* parent)
    : AuthService(client, settings, browser, SignInAddresses(), parent)
{
}

AuthService::AuthService(LantoAPIClient& client, LantoSettings& settings, WebAuthSession& browser,
    const SignInAddresses& addresses, QObject* parent)
    : QObject(parent), m_client(client), m_settings(settings), m_browser(browser), m_addresses(addresses)
{
    m_browserStart.setSingleShot(true);
    m_callbackWait.setSingleShot(true);
    setSignInTimes(std::chrono::seconds(5), std::chrono::minutes(10));
    connect(&m_browserStart, &QTimer::timeout, this, [this] {
        if (!m_isExchanging)
            setIsLoading(false);
    });
    connect(&m_callbackWait, &QTimer::timeout, this, &AuthService::expirePendingSignIn);
    restoreAccount();
}

void AuthService::setSignInTimes(std::chrono::milliseconds browserStart, std::chrono::milliseconds callbackWait)
{
    m_browserStart.setInterval(browserStart);
    m_callbackWait.setInterval(callbackWait);
}

template <typename T> void AuthService::assign(T& field, const T& value, void (AuthService::*changed)())
{
    if (same(field, value))
        return;
    field = value;
    emit(this->*changed)();
}

void AuthService::setIsLoading(bool v) { assign(m_isLoading, v, &AuthService::isLoadingChanged); }
void AuthService::setSignInError(const QString& v) { assign(m_signInError, v, &AuthService::signInErrorChanged); }
void AuthService::setDisplayName(const QString& v) { assign(m_displayName, v, &AuthService::displayNameChanged); }
void AuthService::setAvatarUrl(const QString& v) { assign(m_avatarUrl, v, &AuthService::avatarUrlChanged); }
void AuthService::setLocalAvatarImage(const QImage& v)
{
    assign(m_localAvatarImage, v, &AuthService::localAvatarImageChanged);
}
void AuthService::setHandle(const QString& v) { assign(m_handle, v, &AuthService::handleChanged); }
void AuthService::setNeedsProfileSetup(bool v)
{
    assign(m_needsProfileSetup, v, &AuthService::needsProfileSetupChanged);
}
void AuthService::setIsSignedIn(bool v) { assign(m_isSignedIn, v, &AuthService::isSignedInChanged); }
void AuthService::setUserID(const QString& v) { assign(m_userID, v, &AuthService::userIDChanged); }
void AuthService::setProfileId(const QString& v) { assign(m_profileId, v, &AuthService::profileIdChanged); }
void AuthService::setEmail(const QString& v) { assign(m_email, v, &AuthService::emailChanged); }
void AuthService::setAvatarColor(const QString& v) { assign(m_avatarColor, v, &AuthService::avatarColorChanged); }
void AuthService::setAccountCreatedAt(const QString& v)
{
    assign(m_accountCreatedAt, v, &AuthService::accountCreatedAtChanged);
}
void AuthService::setIsVerified(bool v) { assign(m_isVerified, v, &AuthService::isVerifiedChanged); }
void AuthService::setWallpaperCount(qint64 v) { assign(m_wallpaperCount, v, &AuthService::wallpaperCountChanged); }
void AuthService::setFollowerCount(qint64 v) { assign(m_followerCount, v, &AuthService::followerCountChanged); }
void AuthService::setSessionToken(const QString& v) { assign(m_sessionToken, v, &AuthService::sessionTokenChanged); }

void AuthService::store(const QString& key, const QString& value) { m_settings.set(key, PlistValue(value)); }

void AuthService::restoreAccount()
{
    const std::optional<QString> userID = m_settings.string(SettingsKey::appleUserID);
    if (!userID)
        return;
    setUserID(*userID);
    setEmail(orNull(m_settings.string(SettingsKey::appleEmail)));
    setDisplayName(orNull(m_settings.string(SettingsKey::appleDisplayName)));
    setProfileId(orNull(m_settings.string(SettingsKey::profileId)));
    setAvatarColor(orNull(m_settings.string(SettingsKey::avatarColor)));
    setAvatarUrl(orNull(m_settings.string(SettingsKey::avatarUrl)));
    setHandle(orNull(m_settings.string(SettingsKey::handle)));
    setAccountCreatedAt(orNull(m_settings.string(SettingsKey::accountCreatedAt)));
    const std::optional<QString> token = SessionTokenStore::load();
    setSessionToken(orNull(token));
    if (!token)
        return;
    setIsSignedIn(true);
    QMetaObject::invokeMethod(this, &AuthService::refreshProfile, Qt::QueuedConnection);
}

QUrl AuthService::authorizationURL(const QString& state) const
{
    const QUrl service = m_client.baseURL();
    QUrl redirect;
    redirect.setScheme(m_addresses.callbackFollowsService ? service.scheme() : u"https"_s);
    redirect.setHost(service.host());
    if (m_addresses.callbackFollowsService)
        redirect.setPort(service.port());
    redirect.setPath(u"/api/v1/auth/apple/callback"_s);

    const std::pair<QString, QString> items[]
        = { { u"client_id"_s, webClientID }, { u"redirect_uri"_s, redirect.toString(QUrl::FullyEncoded) },
              { u"response_type"_s, u"code"_s }, { u"response_mode"_s, u"query"_s }, { u"state"_s, state } };
    QStringList query;
    for (const auto& [name, value] : items)
        query.append(name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    QUrl url = m_addresses.authorizePage;
    url.setQuery(query.join(u'&'), QUrl::StrictMode);
    return url;
}

void AuthService::signIn()
{
    const QString state = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QUrl url = authorizationURL(state);
    if (!url.isValid() || m_client.baseURL().host().isEmpty()) {
        endPendingSignIn();
        setIsLoading(false);
        setSignInError(u"Failed to build Apple OAuth URL"_s);
        return;
    }
    if (m_pendingState)
        Log::write(u"Lanto: A new web sign-in replaces the one left unfinished"_s);
    m_pendingState = state;
    m_browserStart.start();
    m_callbackWait.start();
    Log::write(u"Lanto: Opening Apple web sign-in in browser"_s);
    m_browser.open(url);
}

void AuthService::endPendingSignIn()
{
    m_pendingState.reset();
    m_browserStart.stop();
    m_callbackWait.stop();
}

void AuthService::expirePendingSignIn()
{
    if (!m_pendingState)
        return;
    endPendingSignIn();
    Log::write(u"Lanto: The web sign-in was not finished in time"_s);
    if (!m_isExchanging)
        setIsLoading(false);
}

void AuthService::beginSignIn()
{
    if (m_isLoading)
        return;
    setIsLoading(true);
    setSignInError(QString());
    signIn();
}

void AuthService::handleCallback(const QUrl& url)
{
    const SignInCallback callback = SignInCallback::read(url, m_pendingState);
    switch (callback.kind) {
    case SignInCallback::Kind::noSignIn:
        Log::write(u"Lanto: Ignoring a sign-in callback while no sign-in is under way"_s);
        return;
    case SignInCallback::Kind::otherSignIn:
        Log::write(u"Lanto: Ignoring a sign-in callback for another sign-in"_s);
        return;
    case SignInCallback::Kind::invalid:
        endPendingSignIn();
        setIsLoading(false);
        setSignInError(u"Invalid callback URL"_s);
        return;
    case SignInCallback::Kind::error:
        endPendingSignIn();
        setIsLoading(false);
        setSignInError("Sign in failed: "_L1 + callback.value);
        Log::write(u"Lanto: Web OAuth error — "_s + callback.value);
        return;
    case SignInCallback::Kind::code:
        endPendingSignIn();
        exchangeCode(callback.value);
        return;
    case SignInCallback::Kind::missingCode:
        endPendingSignIn();
        setIsLoading(false);
        setSignInError(u"Missing auth code in callback"_s);
        Log::write("Lanto: Web OAuth missing code. Params: "_L1 + callback.printedItems());
        return;
    }
}

void AuthService::failSignIn(const QString& description)
{
    m_isExchanging = false;
    setIsLoading(false);
    setSignInError("Sign in failed: "_L1 + description);
    Log::write(u"Lanto: Web OAuth code exchange failed — "_s + description);
}

void AuthService::exchangeCode(const QString& code)
{
    m_isExchanging = true;
    setIsLoading(true);
    m_client.exchangeAuthCode(code).then(this, [this](const Result<AuthCodeExchangeResponse>& result) {
        if (!result)
            return failSignIn(result.error().description());
        applyExchange(result.value());
    });
}

void AuthService::applyExchange(const AuthCodeExchangeResponse& response)
{
    // Without the token stored, every later request would fail "Not signed in".
    if (!SessionTokenStore::save(response.sessionToken))
        return failSignIn(u"The session could not be stored"_s);
    setSessionToken(response.sessionToken);
    setUserID(response.appleUserID);
    if (!response.appleUserID.isEmpty())
        store(SettingsKey::appleUserID, response.appleUserID);
    setProfileId(response.profileId);
    store(SettingsKey::profileId, response.profileId);
    if (const std::optional<AuthCodeExchangeProfile>& profile = response.profile) {
        setDisplayName(profile->name);
        store(SettingsKey::appleDisplayName, profile->name);
        if (presentAndNotEmpty(profile->avatarColor)) {
            setAvatarColor(*profile->avatarColor);
            store(SettingsKey::avatarColor, *profile->avatarColor);
        }
        if (presentAndNotEmpty(profile->avatarUrl)) {
            setAvatarUrl(*profile->avatarUrl);
            store(SettingsKey::avatarUrl, *profile->avatarUrl);
        }
        if (presentAndNotEmpty(profile->handle)) {
            setHandle(*profile->handle);
            store(SettingsKey::handle, *profile->handle);
        }
        if (presentAndNotEmpty(profile->createdAt)) {
            setAccountCreatedAt(*profile->createdAt);
            store(SettingsKey::accountCreatedAt, *profile->createdAt);
        }
        setIsVerified(profile->isVerified);
        setWallpaperCount(profile->wallpaperCount);
        setFollowerCount(profile->followerCount);
        if (!profile->handle)
            setNeedsProfileSetup(true);
    }
    setIsSignedIn(true);
    m_isExchanging = false;
    setIsLoading(false);
    Log::write(u"Lanto: Web OAuth sign in complete — profile "_s + response.profileId);
}

void AuthService::refreshProfile()
{
    m_client.fetchProfile().then(this, [this](const Result<UserProfile>& result) {
        if (!result) {
            if (result.error().isHTTPError(401)) {
                Log::write(u"Lanto: Session expired during profile refresh — signing out"_s);
                signOut();
            }
            return;
        }
        const UserProfile& profile = result.value();
        setProfileId(profile.id);
        setDisplayName(profile.name);
        if (profile.email)
            setEmail(*profile.email);
        setAvatarColor(orNull(profile.avatarColor));
        setAvatarUrl(orNull(profile.avatarUrl));
        setHandle(orNull(profile.handle));
        setIsVerified(profile.isVerified);
        setWallpaperCount(profile.wallpaperCount);
        setFollowerCount(profile.followerCount);
        setAccountCreatedAt(profile.createdAt);

        store(SettingsKey::profileId, profile.id);
        store(SettingsKey::accountCreatedAt, profile.createdAt);
        store(SettingsKey::appleDisplayName, profile.name);
        const std::pair<QString, std::optional<QString>> present[]
            = { { SettingsKey::appleEmail, profile.email }, { SettingsKey::avatarColor, profile.avatarColor },
                  { SettingsKey::avatarUrl, profile.avatarUrl }, { SettingsKey::handle, profile.handle } };
        for (const auto& [key, value] : present)
            if (value)
                store(key, *value);
    });
}

void AuthService::signOut()
{
    SessionTokenStore::remove();
    for (const QString& key : { SettingsKey::appleUserID, SettingsKey::appleEmail, SettingsKey::appleDisplayName,
             SettingsKey::profileId, SettingsKey::avatarColor, SettingsKey::avatarUrl, SettingsKey::handle,
             SettingsKey::accountCreatedAt, SettingsKey::lastFavoritesSyncAt })
        m_settings.set(key, std::nullopt);
    setIsSignedIn(false);
    for (auto setter : { &AuthService::setUserID, &AuthService::setProfileId, &AuthService::setEmail,
             &AuthService::setDisplayName, &AuthService::setAvatarColor, &AuthService::setAvatarUrl,
             &AuthService::setHandle, &AuthService::setAccountCreatedAt })
        (this->*setter)(QString());
    setIsVerified(false);
    setWallpaperCount(0);
    setFollowerCount(0);
    setSessionToken(QString());
    setSignInError(QString());
    setNeedsProfileSetup(false);
    endPendingSignIn();
}
