#pragma once

#include "Result.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

class LantoAPIClient;
class LantoSettings;
class WebAuthSession;
struct AuthCodeExchangeResponse;

// The account of the signed-in user: whether one is signed in, the profile
// fields the screens show, and the web sign-in that gets there. Texts that are
// absent are null QStrings (an empty text is present). A property publishes
// only when its value changes. Main thread only.
class AuthService : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The account service is created once by the application")
    Q_PROPERTY(bool isSignedIn READ isSignedIn NOTIFY isSignedInChanged)
    Q_PROPERTY(bool isLoading READ isLoading WRITE setIsLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString userID READ userID NOTIFY userIDChanged)
    Q_PROPERTY(QString profileId READ profileId NOTIFY profileIdChanged)
    Q_PROPERTY(QString email READ email NOTIFY emailChanged)
    Q_PROPERTY(QString displayName READ displayName WRITE setDisplayName NOTIFY displayNameChanged)
    Q_PROPERTY(QString avatarColor READ avatarColor NOTIFY avatarColorChanged)
    Q_PROPERTY(QString avatarUrl READ avatarUrl WRITE setAvatarUrl NOTIFY avatarUrlChanged)
    Q_PROPERTY(QImage localAvatarImage READ localAvatarImage WRITE setLocalAvatarImage NOTIFY localAvatarImageChanged)
    Q_PROPERTY(QString handle READ handle WRITE setHandle NOTIFY handleChanged)
    Q_PROPERTY(QString accountCreatedAt READ accountCreatedAt NOTIFY accountCreatedAtChanged)
    Q_PROPERTY(bool isVerified READ isVerified NOTIFY isVerifiedChanged)
    Q_PROPERTY(qint64 wallpaperCount READ wallpaperCount NOTIFY wallpaperCountChanged)
    Q_PROPERTY(qint64 followerCount READ followerCount NOTIFY followerCountChanged)
    Q_PROPERTY(QString sessionToken READ sessionToken NOTIFY sessionTokenChanged)
    Q_PROPERTY(QString signInError READ signInError WRITE setSignInError NOTIFY signInErrorChanged)
    Q_PROPERTY(bool needsProfileSetup READ needsProfileSetup WRITE setNeedsProfileSetup NOTIFY needsProfileSetupChanged)

public:
    // Where the web sign-in goes.
    struct SignInAddresses
    {
        // The identity provider's authorization page.
        QUrl authorizePage = QUrl(QStringLiteral("https://appleid.apple.com/auth/authorize"));
        // False: the callback is https on the service's host. True: it keeps the
        // service address's scheme and port too, as a service on this machine needs.
        bool callbackFollowsService = false;

        // This build's, unless LANTO_AUTHORIZE_URL names another page; the
        // callback follows the service when LANTO_SERVICE_URL names it.
        static SignInAddresses fromEnvironment();
    };

    // Over the shared client, settings and the default browser; restored on first use.
    static AuthService& shared();

    // Restores the account from the settings and the token store at once.
    AuthService(LantoAPIClient& client, LantoSettings& settings, WebAuthSession& browser, QObject* parent = nullptr);
    AuthService(LantoAPIClient& client, LantoSettings& settings, WebAuthSession& browser,
        const SignInAddresses& addresses, QObject* parent = nullptr);

    bool isSignedIn() const { return m_isSignedIn; }
    bool isLoading() const { return m_isLoading; }
    QString userID() const { return m_userID; }
    QString profileId() const { return m_profileId; }
    QString email() const { return m_email; }
    QString displayName() const { return m_displayName; }
    QString avatarColor() const { return m_avatarColor; }
    QString avatarUrl() const { return m_avatarUrl; }
    QImage localAvatarImage() const { return m_localAvatarImage; }
    QString handle() const { return m_handle; }
    QString accountCreatedAt() const { return m_accountCreatedAt; }
    bool isVerified() const { return m_isVerified; }
    qint64 wallpaperCount() const { return m_wallpaperCount; }
    qint64 followerCount() const { return m_followerCount; }
    QString sessionToken() const { return m_sessionToken; }
    QString signInError() const { return m_signInError; }
    bool needsProfileSetup() const { return m_needsProfileSetup; }

    // Set by the sign-in buttons, the profile screens and the handle set-up.
    void setIsLoading(bool loading);
    void setSignInError(const QString& error);
    void setDisplayName(const QString& name);
    void setAvatarUrl(const QString& url);
    void setLocalAvatarImage(const QImage& image);
    void setHandle(const QString& handle);
    void setNeedsProfileSetup(bool needed);

    // Opens the web authorization page in the browser; a callback ends the
    // attempt, and so do a new signIn() (the old page's callback is then
    // refused) and the attempt's time-out. isLoading is cleared once the
    // browser has had a moment to come up, so that a page closed unfinished
    // leaves the sign-in buttons usable; it is set again while a callback's
    // code is exchanged.
    Q_INVOKABLE void signIn();
    // What every sign-in button does: marks the sign-in under way, clears the
    // last error, then signIn(). Does nothing while isLoading is true.
    Q_INVOKABLE void beginSignIn();
    // How long a press keeps the buttons disabled, and how long the browser page's callback is waited for.
    void setSignInTimes(std::chrono::milliseconds browserStart, std::chrono::milliseconds callbackWait);
    // Every "lanto" URL. Taken only while a sign-in is pending, and only when
    // its state, if it carries one, is the pending sign-in's.
    Q_INVOKABLE void handleCallback(const QUrl& url);
    // Forgets the account here; the service is not told.
    Q_INVOKABLE void signOut();

    // The page signIn() opens, for a given state value.
    QUrl authorizationURL(const QString& state) const;

signals:
    void isSignedInChanged();
    void isLoadingChanged();
    void userIDChanged();
    void profileIdChanged();
    void emailChanged();
    void displayNameChanged();
    void avatarColorChanged();
    void avatarUrlChanged();
    void localAvatarImageChanged();
    void handleChanged();
    void accountCreatedAtChanged();
    void isVerifiedChanged();
    void wallpaperCountChanged();
    void followerCountChanged();
    void sessionTokenChanged();
    void signInErrorChanged();
    void needsProfileSetupChanged();

private:
    void restoreAccount();
    void exchangeCode(const QString& code);
    void applyExchange(const AuthCodeExchangeResponse& response);
    void refreshProfile();
    void failSignIn(const QString& error);
    // Forgets the sign-in the browser shows, if any.
    void endPendingSignIn();
    void expirePendingSignIn();

    void setIsSignedIn(bool value);
    void setUserID(const QString& value);
    void setProfileId(const QString& value);
    void setEmail(const QString& value);
    void setAvatarColor(const QString& value);
    void setAccountCreatedAt(const QString& value);
    void setIsVerified(bool value);
    void setWallpaperCount(qint64 value);
    void setFollowerCount(qint64 value);
    void setSessionToken(const QString& value);

    void store(const QString& key, const QString& value);
    template <typename T> void assign(T& field, const T& value, void (AuthService::*changed)());

    LantoAPIClient& m_client;
    LantoSettings& m_settings;
    WebAuthSession& m_browser;
    const SignInAddresses m_addresses;
    std::optional<QString> m_pendingState; // the state of the sign-in the browser shows
    QTimer m_browserStart; // a press's guard against a second page while the browser comes up
    QTimer m_callbackWait; // ends a sign-in whose page was left unfinished
    bool m_isExchanging = false; // a callback's code is with the service

    bool m_isSignedIn = false;
    bool m_isLoading = false;
    QString m_userID;
    QString m_profileId;
    QString m_email;
    QString m_displayName;
    QString m_avatarColor;
    QString m_avatarUrl;
    QImage m_localAvatarImage;
    QString m_handle;
    QString m_accountCreatedAt;
    bool m_isVerified = false;
    qint64 m_wallpaperCount = 0;
    qint64 m_followerCount = 0;
    QString m_sessionToken;
    QString m_signInError;
    bool m_needsProfileSetup = false;
};
