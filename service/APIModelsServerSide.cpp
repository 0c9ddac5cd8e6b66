// The records' second direction: what the service sends is encoded here, what
// the client sends is decoded here. The keys and presence rules are those of
// the decoders and encoders in APIModels.cpp.
#include "APIModels.h"

#include "JsonFields.h"

using namespace Qt::Literals::StringLiterals;
using JsonFields::ObjectReader;
using JsonFields::ObjectWriter;

namespace {

template <typename T> std::optional<T> finished(const ObjectReader& in, T record)
{
    if (!in.ok())
        return std::nullopt;
    return record;
}

} // namespace

QJsonObject APITag::toJson() const
{
    ObjectWriter out;
    out.set("id"_L1, id);
    out.set("name"_L1, name);
    out.set("groupName"_L1, groupName);
    out.set("sortOrder"_L1, sortOrder);
    out.set("parentId"_L1, parentId);
    return out.object();
}

QJsonObject DiscoverResponse::toJson() const
{
    ObjectWriter out;
    out.set("featured"_L1, featured);
    out.set("todaysPicks"_L1, todaysPicks);
    out.set("trending"_L1, trending);
    out.set("newThisWeek"_L1, newThisWeek);
    out.set("free"_L1, free);
    return out.object();
}

QJsonObject WallpapersResponse::toJson() const
{
    ObjectWriter out;
    out.set("wallpapers"_L1, wallpapers);
    out.set("page"_L1, page);
    return out.object();
}

QJsonObject MyWallpapersResponse::toJson() const
{
    ObjectWriter out;
    out.set("wallpapers"_L1, wallpapers);
    return out.object();
}

std::optional<SubmissionCreate> SubmissionCreate::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    SubmissionCreate created;
    created.title = in.required<QString>("title"_L1);
    created.categoryId = in.required<QString>("categoryId"_L1);
    created.type = in.required<QString>("type"_L1);
    created.resolutionWidth = in.required<qint64>("resolutionWidth"_L1);
    created.resolutionHeight = in.required<qint64>("resolutionHeight"_L1);
    created.fileSize = in.required<qint64>("fileSize"_L1);
    return finished(in, std::move(created));
}

QJsonObject SubmissionCreateResponse::toJson() const
{
    ObjectWriter out;
    out.set("id"_L1, id);
    out.set("status"_L1, status);
    return out.object();
}

QJsonObject SubmissionUploadResponse::toJson() const
{
    ObjectWriter out;
    out.set("uploaded"_L1, uploaded);
    return out.object();
}

QJsonObject SubmissionSubmitResponse::toJson() const
{
    ObjectWriter out;
    out.set("submitted"_L1, submitted);
    return out.object();
}

QJsonObject SubmissionDeleteResponse::toJson() const
{
    ObjectWriter out;
    out.set("deleted"_L1, deleted);
    return out.object();
}

QJsonObject AuthCodeExchangeProfile::toJson() const
{
    ObjectWriter out;
    out.set("name"_L1, name);
    out.set("handle"_L1, handle);
    out.set("avatarColor"_L1, avatarColor);
    out.set("avatarUrl"_L1, avatarUrl);
    out.set("createdAt"_L1, createdAt);
    out.set("isVerified"_L1, isVerified);
    out.set("wallpaperCount"_L1, wallpaperCount);
    out.set("followerCount"_L1, followerCount);
    return out.object();
}

QJsonObject AuthCodeExchangeResponse::toJson() const
{
    ObjectWriter out;
    out.set("sessionToken"_L1, sessionToken);
    out.set("profileId"_L1, profileId);
    out.set("appleUserID"_L1, appleUserID);
    out.set("profile"_L1, profile);
    return out.object();
}

QJsonObject UserProfile::toJson() const
{
    ObjectWriter out;
    out.set("id"_L1, id);
    out.set("handle"_L1, handle);
    out.set("name"_L1, name);
    out.set("avatarColor"_L1, avatarColor);
    out.set("avatarUrl"_L1, avatarUrl);
    out.set("bio"_L1, bio);
    out.set("link"_L1, link);
    out.set("email"_L1, email);
    out.set("isVerified"_L1, isVerified);
    out.set("wallpaperCount"_L1, wallpaperCount);
    out.set("followerCount"_L1, followerCount);
    out.set("createdAt"_L1, createdAt);
    return out.object();
}

std::optional<ProfileChanges> ProfileChanges::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    ProfileChanges changes;
    changes.name = in.optional<QString>("name"_L1);
    changes.avatarColor = in.optional<QString>("avatarColor"_L1);
    changes.bio = in.optional<QString>("bio"_L1);
    changes.link = in.optional<QString>("link"_L1);
    changes.handle = in.optional<QString>("handle"_L1);
    return finished(in, std::move(changes));
}

QJsonObject HandleAvailability::toJson() const
{
    ObjectWriter out;
    out.set("available"_L1, available);
    out.set("reason"_L1, reason);
    return out.object();
}

QJsonObject AvatarResponse::toJson() const
{
    ObjectWriter out;
    out.set("avatarUrl"_L1, avatarUrl);
    return out.object();
}

QJsonObject MultipartInitResponse::toJson() const
{
    ObjectWriter out;
    out.set("uploadId"_L1, uploadId);
    out.set("key"_L1, key);
    return out.object();
}

QJsonObject PartResponse::toJson() const
{
    ObjectWriter out;
    out.set("etag"_L1, etag);
    return out.object();
}

std::optional<UploadedPart> UploadedPart::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    UploadedPart part;
    part.partNumber = in.required<qint64>("partNumber"_L1);
    part.etag = in.required<QString>("etag"_L1);
    return finished(in, std::move(part));
}

std::optional<CompleteBody> CompleteBody::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    CompleteBody body;
    body.uploadId = in.required<QString>("uploadId"_L1);
    body.key = in.required<QString>("key"_L1);
    body.parts = in.required<QList<UploadedPart>>("parts"_L1);
    return finished(in, std::move(body));
}

QJsonObject CompleteResponse::toJson() const
{
    ObjectWriter out;
    out.set("uploaded"_L1, uploaded);
    return out.object();
}
