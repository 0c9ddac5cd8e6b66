#pragma once

#include "APIResponse.h"
#include "APIWallpaper.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The service's records beyond the catalogue item (which core keeps, because
// the wallpaper record is built from it), each described once by its
// wireFields() table. The same rules hold: the JSON key of each field is its
// name; a required field missing or of the wrong type fails the whole decode;
// an optional one absent or null stays absent, and encoding leaves it out.
// Unknown keys are ignored. Every record reads and writes both ways: the client
// decodes what the local service encodes, and the other way round.

// One entry of the tag catalogue.
struct APITag
{
    QString id;
    QString name;
    QString groupName;
    qint64 sortOrder = 0;
    std::optional<QString> parentId;

    static constexpr auto wireFields()
    {
        using R = APITag;
        return std::tuple { Wire::field("id", &R::id), Wire::field("name", &R::name),
                            Wire::field("groupName", &R::groupName), Wire::field("sortOrder", &R::sortOrder),
                            Wire::field("parentId", &R::parentId) };
    }
    static std::optional<APITag> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
    bool operator==(const APITag&) const = default;
};

// The curated rows of the Discover page.
struct DiscoverResponse
{
    QList<APIWallpaper> featured;
    QList<APIWallpaper> todaysPicks;
    QList<APIWallpaper> trending;
    QList<APIWallpaper> newThisWeek;
    std::optional<QList<APIWallpaper>> free;

    static constexpr auto wireFields()
    {
        using R = DiscoverResponse;
        return std::tuple { Wire::field("featured", &R::featured), Wire::field("todaysPicks", &R::todaysPicks),
                            Wire::field("trending", &R::trending), Wire::field("newThisWeek", &R::newThisWeek),
                            Wire::field("free", &R::free) };
    }
    static std::optional<DiscoverResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

// One page of a category listing or of a creator's wallpapers.
struct WallpapersResponse
{
    QList<APIWallpaper> wallpapers;
    qint64 page = 0;

    static constexpr auto wireFields()
    {
        using R = WallpapersResponse;
        return std::tuple { Wire::field("wallpapers", &R::wallpapers), Wire::field("page", &R::page) };
    }
    static std::optional<WallpapersResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};
using ProfileWallpapersResponse = WallpapersResponse;

// The signed-in user's own submissions.
struct MyWallpapersResponse
{
    QList<APIWallpaper> wallpapers;

    static constexpr auto wireFields()
    {
        return std::tuple { Wire::field("wallpapers", &MyWallpapersResponse::wallpapers) };
    }
    static std::optional<MyWallpapersResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

// Replies that carry catalogue records can hold thousands of them: they are
// read with simdjson straight into the records (CatalogueReplies.cpp).
template <> Result<APIResponse<DiscoverResponse>> APIResponse<DiscoverResponse>::decode(const QByteArray& body);
template <> Result<APIResponse<WallpapersResponse>> APIResponse<WallpapersResponse>::decode(const QByteArray& body);
template <>
Result<APIResponse<MyWallpapersResponse>> APIResponse<MyWallpapersResponse>::decode(const QByteArray& body);

// The body that creates a submission; every key is always written.
struct SubmissionCreate
{
    QString title;
    QString categoryId;
    QString type; // "video" or "image"
    qint64 resolutionWidth = 0;
    qint64 resolutionHeight = 0;
    qint64 fileSize = 0;

    static constexpr auto wireFields()
    {
        using R = SubmissionCreate;
        return std::tuple {
            Wire::field("title", &R::title),
            Wire::field("categoryId", &R::categoryId),
            Wire::field("type", &R::type),
            Wire::field("resolutionWidth", &R::resolutionWidth),
            Wire::field("resolutionHeight", &R::resolutionHeight),
            Wire::field("fileSize", &R::fileSize),
        };
    }
    QJsonObject toJson() const;
    static std::optional<SubmissionCreate> fromJson(const QJsonObject& object);
};

struct SubmissionCreateResponse
{
    QString id;
    QString status;

    static constexpr auto wireFields()
    {
        using R = SubmissionCreateResponse;
        return std::tuple { Wire::field("id", &R::id), Wire::field("status", &R::status) };
    }
    static std::optional<SubmissionCreateResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct SubmissionUploadResponse
{
    QString uploaded;

    static constexpr auto wireFields()
    {
        return std::tuple { Wire::field("uploaded", &SubmissionUploadResponse::uploaded) };
    }
    static std::optional<SubmissionUploadResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct SubmissionSubmitResponse
{
    bool submitted = false;

    static constexpr auto wireFields()
    {
        return std::tuple { Wire::field("submitted", &SubmissionSubmitResponse::submitted) };
    }
    static std::optional<SubmissionSubmitResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct SubmissionDeleteResponse
{
    bool deleted = false;

    static constexpr auto wireFields()
    {
        return std::tuple { Wire::field("deleted", &SubmissionDeleteResponse::deleted) };
    }
    static std::optional<SubmissionDeleteResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

// The account's profile as returned with a code exchange.
struct AuthCodeExchangeProfile
{
    QString name;
    std::optional<QString> handle; // absent until the user has chosen one
    std::optional<QString> avatarColor;
    std::optional<QString> avatarUrl;
    std::optional<QString> createdAt;
    bool isVerified = false;
    qint64 wallpaperCount = 0;
    qint64 followerCount = 0;

    static constexpr auto wireFields()
    {
        using R = AuthCodeExchangeProfile;
        return std::tuple {
            Wire::field("name", &R::name),
            Wire::field("handle", &R::handle),
            Wire::field("avatarColor", &R::avatarColor),
            Wire::field("avatarUrl", &R::avatarUrl),
            Wire::field("createdAt", &R::createdAt),
            Wire::field("isVerified", &R::isVerified),
            Wire::field("wallpaperCount", &R::wallpaperCount),
            Wire::field("followerCount", &R::followerCount),
        };
    }
    static std::optional<AuthCodeExchangeProfile> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct AuthCodeExchangeResponse
{
    QString sessionToken;
    QString profileId;
    QString appleUserID;
    std::optional<AuthCodeExchangeProfile> profile;

    static constexpr auto wireFields()
    {
        using R = AuthCodeExchangeResponse;
        return std::tuple { Wire::field("sessionToken", &R::sessionToken), Wire::field("profileId", &R::profileId),
                            Wire::field("appleUserID", &R::appleUserID), Wire::field("profile", &R::profile) };
    }
    static std::optional<AuthCodeExchangeResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

// The signed-in user's profile.
struct UserProfile
{
    QString id;
    std::optional<QString> handle;
    QString name;
    std::optional<QString> avatarColor;
    std::optional<QString> avatarUrl;
    std::optional<QString> bio;
    std::optional<QString> link;
    std::optional<QString> email;
    bool isVerified = false;
    qint64 wallpaperCount = 0;
    qint64 followerCount = 0;
    QString createdAt;

    static constexpr auto wireFields()
    {
        using R = UserProfile;
        return std::tuple {
            Wire::field("id", &R::id),
            Wire::field("handle", &R::handle),
            Wire::field("name", &R::name),
            Wire::field("avatarColor", &R::avatarColor),
            Wire::field("avatarUrl", &R::avatarUrl),
            Wire::field("bio", &R::bio),
            Wire::field("link", &R::link),
            Wire::field("email", &R::email),
            Wire::field("isVerified", &R::isVerified),
            Wire::field("wallpaperCount", &R::wallpaperCount),
            Wire::field("followerCount", &R::followerCount),
            Wire::field("createdAt", &R::createdAt),
        };
    }
    static std::optional<UserProfile> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

// The fields a profile change sends; an absent one is left out of the body.
struct ProfileChanges
{
    std::optional<QString> name;
    std::optional<QString> avatarColor;
    std::optional<QString> bio;
    std::optional<QString> link;
    std::optional<QString> handle;

    static constexpr auto wireFields()
    {
        using R = ProfileChanges;
        return std::tuple { Wire::field("name", &R::name), Wire::field("avatarColor", &R::avatarColor),
                            Wire::field("bio", &R::bio), Wire::field("link", &R::link),
                            Wire::field("handle", &R::handle) };
    }
    QJsonObject toJson() const;
    static std::optional<ProfileChanges> fromJson(const QJsonObject& object);
};

// The answer of the handle check.
struct HandleAvailability
{
    bool available = false;
    std::optional<QString> reason;

    static constexpr auto wireFields()
    {
        using R = HandleAvailability;
        return std::tuple { Wire::field("available", &R::available), Wire::field("reason", &R::reason) };
    }
    static std::optional<HandleAvailability> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct AvatarResponse
{
    QString avatarUrl;

    static constexpr auto wireFields() { return std::tuple { Wire::field("avatarUrl", &AvatarResponse::avatarUrl) }; }
    static std::optional<AvatarResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

// The multipart upload of a submission file: the service hands out uploadId
// and key at init and an etag per part; the client relays them unchanged.
struct MultipartInitResponse
{
    QString uploadId;
    QString key;

    static constexpr auto wireFields()
    {
        using R = MultipartInitResponse;
        return std::tuple { Wire::field("uploadId", &R::uploadId), Wire::field("key", &R::key) };
    }
    static std::optional<MultipartInitResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct PartResponse
{
    QString etag;

    static constexpr auto wireFields() { return std::tuple { Wire::field("etag", &PartResponse::etag) }; }
    static std::optional<PartResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct UploadedPart
{
    qint64 partNumber = 0; // from 1
    QString etag;

    static constexpr auto wireFields()
    {
        using R = UploadedPart;
        return std::tuple { Wire::field("partNumber", &R::partNumber), Wire::field("etag", &R::etag) };
    }
    QJsonObject toJson() const;
    static std::optional<UploadedPart> fromJson(const QJsonObject& object);
    bool operator==(const UploadedPart&) const = default;
};

struct CompleteBody
{
    QString uploadId;
    QString key;
    QList<UploadedPart> parts; // ascending partNumber

    static constexpr auto wireFields()
    {
        using R = CompleteBody;
        return std::tuple { Wire::field("uploadId", &R::uploadId), Wire::field("key", &R::key),
                            Wire::field("parts", &R::parts) };
    }
    QJsonObject toJson() const;
    static std::optional<CompleteBody> fromJson(const QJsonObject& object);
};

struct CompleteResponse
{
    QString uploaded;

    static constexpr auto wireFields() { return std::tuple { Wire::field("uploaded", &CompleteResponse::uploaded) }; }
    static std::optional<CompleteResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};
