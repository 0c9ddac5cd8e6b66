// The account endpoints: the code exchange, the own profile and its avatar,
// and the handle check.
#include "LocalService.h"

#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList api { u"api"_s, u"v1"_s };

constexpr qint64 maximumAvatarBytes = 5 * 1024 * 1024;

// The picture's kind from its first bytes; only JPEG and PNG are taken.
std::optional<QString> avatarFileName(const QString& userId, const QByteArray& bytes)
{
    const QString stamp = ServiceStore::randomHex(4);
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return u"avatar-"_s + userId + u'-' + stamp + u".jpg"_s;
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return u"avatar-"_s + userId + u'-' + stamp + u".png"_s;
    return std::nullopt;
}

} // namespace

std::optional<ServiceReply> LocalService::answerAccount(const ServiceRequest& r)
{
    if (r.matches("POST", api + QStringList { u"auth"_s, u"exchange"_s })) {
        const QJsonDocument body = QJsonDocument::fromJson(r.body);
        const QJsonValue code = body.object().value("code"_L1);
        if (!body.isObject() || !code.isString())
            return ServiceReply::refused(400, u"The body needs the text \"code\""_s);
        Accounts::ExchangeFailure failure {};
        if (const std::optional<AuthCodeExchangeResponse> exchanged = m_accounts.exchange(code.toString(), r.origin, &failure))
            return ServiceReply::ok(exchanged->toJson());
        if (failure == Accounts::ExchangeFailure::unknownCode)
            return ServiceReply::refused(400, u"The sign-in code is unknown, spent or expired"_s);
        return ServiceReply::refused(500, u"The service could not store the sign-in"_s);
    }
    if (r.matches("GET", api + QStringList { u"handles"_s, u"check"_s })) {
        const QString handle = r.queryValue(u"handle"_s);
        if (handle.isNull())
            return ServiceReply::refused(400, u"The query item \"handle\" is missing"_s);
        return ServiceReply::ok(m_accounts.availability(handle).toJson());
    }

    const QStringList me = api + QStringList { u"me"_s };
    if (!r.matches("GET", me) && !r.matches("PATCH", me) && !r.matches("POST", me + QStringList { u"avatar"_s }))
        return std::nullopt;
    const Checked<QString> user = signedInUser(r);
    if (!user)
        return ServiceReply::refused(user.refusal());

    if (r.method == "PATCH") {
        const Checked<ProfileChanges> changes = recordFromBody<ProfileChanges>(r);
        if (!changes)
            return ServiceReply::refused(changes.refusal());
        if (const std::optional<Refusal> refusal = m_accounts.update(user.value(), changes.value()))
            return ServiceReply::refused(*refusal);
    } else if (r.method == "POST") {
        if (r.body.size() > maximumAvatarBytes)
            return ServiceReply::refused(413, u"An avatar is at most 5 MiB"_s);
        const std::optional<QString> fileName = avatarFileName(user.value(), r.body);
        if (!fileName)
            return ServiceReply::refused(415, u"The avatar must be a JPEG or PNG picture"_s);
        const QString mediaId = u"avatars"_s;
        const QString folder = u"/files/"_s + mediaId + u'/';
        const QString path = folder + *fileName;
        QString replaced;
        const bool stored = m_media.writeFile(mediaId, *fileName, r.body) && m_store->transaction([&] {
            const QString previous
                = m_store->value(u"SELECT avatar_url FROM users WHERE id = ?"_s, { user.value() }).value_or(QVariant()).toString();
            if (previous.startsWith(folder)) {
                replaced = previous.mid(folder.size());
                if (!m_store->run(u"DELETE FROM media_files WHERE media_id = ? AND slot = ?"_s, { mediaId, replaced }))
                    return false;
            }
            return m_store->run(u"INSERT OR REPLACE INTO media_files (media_id, slot, file_name, content_type, size) "
                                "VALUES (?, ?, ?, ?, ?)"_s,
                       { mediaId, *fileName, *fileName,
                           fileName->endsWith(u".png"_s) ? u"image/png"_s : u"image/jpeg"_s, r.body.size() })
                && m_store->run(u"UPDATE users SET avatar_url = ? WHERE id = ?"_s, { path, user.value() });
        });
        if (!stored) {
            m_media.removeFile(mediaId, *fileName);
            return ServiceReply::refused(500, u"The service could not store the avatar"_s);
        }
        // The row went first, so the old picture is never served after this.
        if (!replaced.isEmpty())
            m_media.removeFile(mediaId, replaced);
        return ServiceReply::ok(AvatarResponse { r.origin + path }.toJson());
    }
    const std::optional<UserProfile> profile = m_accounts.profile(user.value(), r.origin);
    if (!profile)
        return ServiceReply::refused(404, u"The account no longer exists"_s);
    return ServiceReply::ok(profile->toJson());
}
