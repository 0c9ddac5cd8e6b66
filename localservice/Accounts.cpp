#include "Accounts.h"

#include "ServiceStore.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 codeLifetimeSeconds = 600;
const QString profileColumns
    = u"id, handle, name, avatar_color, avatar_url, bio, link, email, is_verified, follower_count, created_at"_s;

std::optional<QString> optionalText(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

QVariant orNull(const std::optional<QString>& text) { return text ? QVariant(*text) : QVariant(); }

// Colours a new account's avatar from its identity, so it stays the same.
QString avatarColorFor(const QString& identity)
{
    static const QStringList colours { u"FF6B6B"_s, u"4ECDC4"_s, u"FFD93D"_s, u"6C5CE7"_s, u"A8E6CF"_s,
        u"FF8B94"_s, u"3D5A80"_s, u"F4A261"_s };
    return colours[int(qHash(identity) % colours.size())];
}

} // namespace

QString Accounts::issueSignInCode(const QString& appleUserID, const QString& name)
{
    const QString code = ServiceStore::randomHex(24);
    const qint64 expires = QDateTime::currentSecsSinceEpoch() + codeLifetimeSeconds;
    const bool stored = m_store.transaction([&] {
        return m_store.run(u"DELETE FROM sign_in_codes WHERE expires_at < ?"_s, { QDateTime::currentSecsSinceEpoch() })
            && m_store.run(u"INSERT INTO sign_in_codes (code, apple_user_id, name, expires_at) VALUES (?, ?, ?, ?)"_s,
                { code, appleUserID, name, expires });
    });
    return stored ? code : QString();
}

QString addressBelow(const QString& origin, const QString& stored)
{
    return stored.startsWith(u'/') ? origin + stored : stored;
}

std::optional<AuthCodeExchangeResponse> Accounts::exchange(
    const QString& code, const QString& origin, ExchangeFailure* failure)
{
    std::optional<AuthCodeExchangeResponse> response;
    ExchangeFailure reason = ExchangeFailure::storeFailed;
    const bool committed = m_store.transaction([&] {
        QSqlQuery pending = m_store.query(
            u"SELECT apple_user_id, name FROM sign_in_codes WHERE code = ? AND expires_at >= ?"_s,
            { code, QDateTime::currentSecsSinceEpoch() });
        if (!pending.exec() || !pending.next()) {
            reason = ExchangeFailure::unknownCode;
            return false;
        }
        const QString appleUserID = pending.value(0).toString();
        const QString name = pending.value(1).toString();
        // A code is spent by its first exchange, whatever follows.
        if (!m_store.run(u"DELETE FROM sign_in_codes WHERE code = ?"_s, { code }))
            return false;
        std::optional<QVariant> userId
            = m_store.value(u"SELECT id FROM users WHERE apple_user_id = ?"_s, { appleUserID });
        if (!userId) {
            userId = ServiceStore::randomHex(12);
            if (!m_store.run(u"INSERT INTO users (id, apple_user_id, name, avatar_color, created_at) "
                             "VALUES (?, ?, ?, ?, ?)"_s,
                    { *userId, appleUserID, name, avatarColorFor(appleUserID), ServiceStore::now() }))
                return false;
        }
        const QString token = ServiceStore::randomHex(32);
        if (!m_store.run(u"INSERT INTO sessions (token, user_id, created_at) VALUES (?, ?, ?)"_s,
                { token, *userId, ServiceStore::now() }))
            return false;
        const std::optional<UserProfile> account = profile(userId->toString(), origin);
        if (!account)
            return false;
        AuthCodeExchangeProfile exchanged;
        exchanged.name = account->name;
        exchanged.handle = account->handle;
        exchanged.avatarColor = account->avatarColor;
        exchanged.avatarUrl = account->avatarUrl;
        exchanged.createdAt = account->createdAt;
        exchanged.isVerified = account->isVerified;
        exchanged.wallpaperCount = account->wallpaperCount;
        exchanged.followerCount = account->followerCount;
        response = AuthCodeExchangeResponse { token, account->id, appleUserID, exchanged };
        return true;
    });
    // A session that was not stored is no session.
    if (!committed)
        response.reset();
    if (!response && failure)
        *failure = reason;
    return response;
}

std::optional<QString> Accounts::userForToken(const QString& token) const
{
    if (token.isEmpty())
        return std::nullopt;
    const std::optional<QVariant> user = m_store.value(u"SELECT user_id FROM sessions WHERE token = ?"_s, { token });
    return user ? std::optional<QString>(user->toString()) : std::nullopt;
}

std::optional<UserProfile> Accounts::profile(const QString& userId, const QString& origin) const
{
    QSqlQuery row = m_store.query(u"SELECT "_s + profileColumns + u" FROM users WHERE id = ?"_s, { userId });
    if (!row.exec() || !row.next())
        return std::nullopt;
    UserProfile profile;
    profile.id = row.value(0).toString();
    profile.handle = optionalText(row.value(1));
    profile.name = row.value(2).toString();
    profile.avatarColor = optionalText(row.value(3));
    if (!row.value(4).isNull())
        profile.avatarUrl = addressBelow(origin, row.value(4).toString());
    profile.bio = optionalText(row.value(5));
    profile.link = optionalText(row.value(6));
    profile.email = optionalText(row.value(7));
    profile.isVerified = row.value(8).toBool();
    profile.followerCount = row.value(9).toLongLong();
    profile.createdAt = row.value(10).toString();
    profile.wallpaperCount = m_store
                                 .value(u"SELECT COUNT(*) FROM wallpapers WHERE owner_id = ? AND status = 'approved'"_s,
                                     { userId })
                                 .value_or(0)
                                 .toLongLong();
    return profile;
}

std::optional<QString> Accounts::formProblem(const QString& handle)
{
    // The form the application's handle field lets a person type.
    static const QRegularExpression allowed(u"^[a-z][a-z0-9_]*$"_s);
    if (handle.size() < 3 || handle.size() > 20)
        return u"Handles are 3 to 20 characters long"_s;
    if (!allowed.match(handle).hasMatch())
        return u"Handles start with a letter and use only lowercase letters, digits and underscores"_s;
    return std::nullopt;
}

HandleAvailability Accounts::availability(const QString& handle) const
{
    if (const std::optional<QString> problem = formProblem(handle))
        return { false, problem };
    if (m_store.value(u"SELECT 1 FROM users WHERE handle = ?"_s, { handle }))
        return { false, u"This handle is already taken"_s };
    return { true, std::nullopt };
}

std::optional<QString> Accounts::textProblem(const ProfileChanges& changes)
{
    static const QRegularExpression colour(u"^#?[0-9A-Fa-f]{6}$"_s);
    if (changes.name && (changes.name->trimmed().isEmpty() || changes.name->size() > maximumName))
        return u"A name is 1 to %1 characters long"_s.arg(maximumName);
    if (changes.bio && changes.bio->size() > maximumBio)
        return u"A bio is at most %1 characters long"_s.arg(maximumBio);
    if (changes.link && changes.link->size() > maximumLink)
        return u"A link is at most %1 characters long"_s.arg(maximumLink);
    if (changes.avatarColor && !colour.match(*changes.avatarColor).hasMatch())
        return u"An avatar colour is six hexadecimal digits, such as \"FF6B6B\""_s;
    if (changes.handle)
        return formProblem(*changes.handle);
    return std::nullopt;
}

std::optional<Refusal> Accounts::update(const QString& userId, const ProfileChanges& changes)
{
    if (const std::optional<QString> problem = textProblem(changes))
        return Refusal { 400, *problem };
    std::optional<Refusal> refusal = Refusal { 500, u"The service could not store the change"_s };
    const bool changed = m_store.transaction([&] {
        if (changes.handle
            && m_store.value(u"SELECT 1 FROM users WHERE handle = ? AND id <> ?"_s, { *changes.handle, userId })) {
            refusal = Refusal { 409, u"This handle is already taken"_s };
            return false;
        }
        // COALESCE keeps each column whose change is absent.
        return m_store.run(u"UPDATE users SET name = COALESCE(?, name), avatar_color = COALESCE(?, avatar_color), "
                           "bio = COALESCE(?, bio), link = COALESCE(?, link), handle = COALESCE(?, handle) "
                           "WHERE id = ?"_s,
            { orNull(changes.name), orNull(changes.avatarColor), orNull(changes.bio), orNull(changes.link),
                orNull(changes.handle), userId });
    });
    return changed ? std::nullopt : refusal;
}

bool Accounts::addCreator(const QString& id, const QString& name, const QString& handle, const QString& avatarColor,
    bool verified, qint64 followers)
{
    return m_store.transaction([&] {
        return m_store.run(u"INSERT OR IGNORE INTO users (id, name, handle, avatar_color, is_verified, "
                           "follower_count, created_at) VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
            { id, name, handle, avatarColor, verified, followers, ServiceStore::now() });
    });
}
