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

std::optional<APITag> APITag::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    APITag tag;
    tag.id = in.required<QString>("id"_L1);
    tag.name = in.required<QString>("name"_L1);
    tag.groupName = in.required<QString>("groupName"_L1);
    tag.sortOrder = in.required<qint64>("sortOrder"_L1);
    tag.parentId = in.optional<QString>("parentId"_L1);
    return finished(in, std::move(tag));
}

std::optional<DiscoverResponse> DiscoverResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    DiscoverResponse rows;
    rows.featured = in.required<QList<APIWallpaper>>("featured"_L1);
    rows.todaysPicks = in.required<QList<APIWallpaper>>("todaysPicks"_L1);
    rows.trending = in.required<QList<APIWallpaper>>("trending"_L1);
    rows.newThisWeek = in.required<QList<APIWallpaper>>("newThisWeek"_L1);
    rows.free = in.optional<QList<APIWallpaper>>("free"_L1);
    return finished(in, std::move(rows));
}

std::optional<WallpapersResponse> WallpapersResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    WallpapersResponse page;
    page.wallpapers = in.required<QList<APIWallpaper>>("wallpapers"_L1);
    page.page = in.required<qint64>("page"_L1);
    return finished(in, std::move(page));
}

std::optional<MyWallpapersResponse> MyWallpapersResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    MyWallpapersResponse mine;
    mine.wallpapers = in.required<QList<APIWallpaper>>("wallpapers"_L1);
    return finished(in, std::move(mine));
}

QJsonObject SubmissionCreate::toJson() const
{
    ObjectWriter out;
    out.set("title"_L1, title);
    out.set("categoryId"_L1, categoryId);
    out.set("type"_L1, type);
    out.set("resolutionWidth"_L1, resolutionWidth);
    out.set("resolutionHeight"_L1, resolutionHeight);
    out.set("fileSize"_L1, fileSize);
    return out.object();
}

std::optional<SubmissionCreateResponse> SubmissionCreateResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    SubmissionCreateResponse created;
    created.id = in.required<QString>("id"_L1);
    created.status = in.required<QString>("status"_L1);
    return finished(in, std::move(created));
}

std::optional<SubmissionUploadResponse> SubmissionUploadResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    SubmissionUploadResponse upload;
    upload.uploaded = in.required<QString>("uploaded"_L1);
    return finished(in, std::move(upload));
}

std::optional<SubmissionSubmitResponse> SubmissionSubmitResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    SubmissionSubmitResponse submit;
    submit.submitted = in.required<bool>("submitted"_L1);
    return finished(in, std::move(submit));
}

std::optional<SubmissionDeleteResponse> SubmissionDeleteResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    SubmissionDeleteResponse removal;
    removal.deleted = in.required<bool>("deleted"_L1);
    return finished(in, std::move(removal));
}

std::optional<AuthCodeExchangeProfile> AuthCodeExchangeProfile::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    AuthCodeExchangeProfile profile;
    profile.name = in.required<QString>("name"_L1);
    profile.handle = in.optional<QString>("handle"_L1);
    profile.avatarColor = in.optional<QString>("avatarColor"_L1);
    profile.avatarUrl = in.optional<QString>("avatarUrl"_L1);
    profile.createdAt = in.optional<QString>("createdAt"_L1);
    profile.isVerified = in.required<bool>("isVerified"_L1);
    profile.wallpaperCount = in.required<qint64>("wallpaperCount"_L1);
    profile.followerCount = in.required<qint64>("followerCount"_L1);
    return finished(in, std::move(profile));
}

std::optional<AuthCodeExchangeResponse> AuthCodeExchangeResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    AuthCodeExchangeResponse exchange;
    exchange.sessionToken = in.required<QString>("sessionToken"_L1);
    exchange.profileId = in.required<QString>("profileId"_L1);
    exchange.appleUserID = in.required<QString>("appleUserID"_L1);
    exchange.profile = in.optional<AuthCodeExchangeProfile>("profile"_L1);
    return finished(in, std::move(exchange));
}

std::optional<UserProfile> UserProfile::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    UserProfile profile;
    profile.id = in.required<QString>("id"_L1);
    profile.handle = in.optional<QString>("handle"_L1);
    profile.name = in.required<QString>("name"_L1);
    profile.avatarColor = in.optional<QString>("avatarColor"_L1);
    profile.avatarUrl = in.optional<QString>("avatarUrl"_L1);
    profile.bio = in.optional<QString>("bio"_L1);
    profile.link = in.optional<QString>("link"_L1);
    profile.email = in.optional<QString>("email"_L1);
    profile.isVerified = in.required<bool>("isVerified"_L1);
    profile.wallpaperCount = in.required<qint64>("wallpaperCount"_L1);
    profile.followerCount = in.required<qint64>("followerCount"_L1);
    profile.createdAt = in.required<QString>("createdAt"_L1);
    return finished(in, std::move(profile));
}

QJsonObject ProfileChanges::toJson() const
{
    ObjectWriter out;
    out.set("name"_L1, name);
    out.set("avatarColor"_L1, avatarColor);
    out.set("bio"_L1, bio);
    out.set("link"_L1, link);
    out.set("handle"_L1, handle);
    return out.object();
}

std::optional<HandleAvailability> HandleAvailability::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    HandleAvailability answer;
    answer.available = in.required<bool>("available"_L1);
    answer.reason = in.optional<QString>("reason"_L1);
    return finished(in, std::move(answer));
}

std::optional<AvatarResponse> AvatarResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    AvatarResponse avatar;
    avatar.avatarUrl = in.required<QString>("avatarUrl"_L1);
    return finished(in, std::move(avatar));
}

std::optional<MultipartInitResponse> MultipartInitResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    MultipartInitResponse init;
    init.uploadId = in.required<QString>("uploadId"_L1);
    init.key = in.required<QString>("key"_L1);
    return finished(in, std::move(init));
}

std::optional<PartResponse> PartResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    PartResponse part;
    part.etag = in.required<QString>("etag"_L1);
    return finished(in, std::move(part));
}

QJsonObject UploadedPart::toJson() const
{
    ObjectWriter out;
    out.set("partNumber"_L1, partNumber);
    out.set("etag"_L1, etag);
    return out.object();
}

QJsonObject CompleteBody::toJson() const
{
    ObjectWriter out;
    out.set("uploadId"_L1, uploadId);
    out.set("key"_L1, key);
    out.set("parts"_L1, parts);
    return out.object();
}

std::optional<CompleteResponse> CompleteResponse::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    CompleteResponse complete;
    complete.uploaded = in.required<QString>("uploaded"_L1);
    return finished(in, std::move(complete));
}
