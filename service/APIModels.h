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
        return std::tuple {
            Wire::field("id", &APITag::id),
            Wire::field("name", &APITag::name),
            Wire::field("groupName", &APITag::groupName),
            Wire::field("sortOrder", &APITag::sortOrder),
            Wire::field("parentId", &APITag::parentId),
        };
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
        return std::tuple {
            Wire::field("featured", &DiscoverResponse::featured),
            Wire::field("todaysPicks", &DiscoverResponse::todaysPicks),
            Wire::field("trending", &DiscoverResponse::trending),
            Wire::field("newThisWeek", &DiscoverResponse::newThisWeek),
            Wire::field("free", &DiscoverResponse::free),
        };
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
        return std::tuple {
            Wire::field("wallpapers", &WallpapersResponse::wallpapers),
            Wire::field("page", &WallpapersResponse::page),
        };
    }
    static std::optional<WallpapersResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};
using ProfileWallpapersResponse = WallpapersResponse;

// The signed-in user's own submissions.
struct MyWallpapersResponse
{
    QList<APIWallpaper> wallpapers;

    static constexpr auto wireFields() { return std::tuple { Wire::field("wallpapers", &MyWallpapersResponse::wallpapers) }; }
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
        return std::tuple {
            Wire::field("title", &SubmissionCreate::title),
            Wire::field("categoryId", &SubmissionCreate::categoryId),
            Wire::field("type", &SubmissionCreate::type),
            Wire::field("resolutionWidth", &SubmissionCreate::resolutionWidth),
            Wire::field("resolutionHeight", &SubmissionCreate::resolutionHeight),
            Wire::field("fileSize", &SubmissionCreate::fileSize),
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
        return std::tuple {
            Wire::field("id", &SubmissionCreateResponse::id),
            Wire::field("status", &SubmissionCreateResponse::status),
        };
    }
    static std::optional<SubmissionCreateResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct SubmissionUploadResponse
{
    QString uploaded;

    static constexpr auto wireFields() { return std::tuple { Wire::field("uploaded", &SubmissionUploadResponse::uploaded) }; }
    static std::optional<SubmissionUploadResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct SubmissionSubmitResponse
{
    bool submitted = false;

    static constexpr auto wireFields() { return std::tuple { Wire::field("submitted", &SubmissionSubmitResponse::submitted) }; }
    static std::optional<SubmissionSubmitResponse> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

struct SubmissionDeleteResponse
{
    bool deleted = false;

    static constexpr auto wireFields() { return std::tuple { Wire::field("deleted", &SubmissionDeleteResponse::deleted) }; }
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
        return std::tuple {
            Wire::field("name", &AuthCodeExchangeProfile::name),
            Wire::field("handle", &AuthCodeExchangeProfile::handle),
            Wire::field("avatarColor", &AuthCodeExchangeProfile::avatarColor),
            Wire::field("avatarUrl", &AuthCodeExchangeProfile::avatarUrl),
            Wire::field("createdAt", &AuthCodeExchangeProfile::createdAt),
            Wire::field("isVerified", &AuthCodeExchangeProfile::isVerified),
            Wire::field("wallpaperCount", &AuthCodeExchangeProfile::wallpaperCount),
            Wire::field("followerCount", &AuthCodeExchangeProfile::followerCount),
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
        return std::tuple {
            Wire::field("sessionToken", &AuthCodeExchangeResponse::sessionToken),
            Wire::field("profileId", &AuthCodeExchangeResponse::profileId),
            Wire::field("appleUserID", &AuthCodeExchangeResponse::appleUserID),
            Wire::field("profile", &AuthCodeExchangeResponse::profile),
        };
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
        return std::tuple {
            Wire::field("id", &UserProfile::id),
            Wire::field("handle", &UserProfile::handle),
            Wire::field("name", &UserProfile::name),
            Wire::field("avatarColor", &UserProfile::avatarColor),
            Wire::field("avatarUrl", &UserProfile::avatarUrl),
            Wire::field("bio", &UserProfile::bio),
            Wire::field("link", &UserProfile::link),
            Wire::field("email", &UserProfile::email),
            Wire::field("isVerified", &UserProfile::isVerified),
            Wire::field("wallpaperCount", &UserProfile::wallpaperCount),
            Wire::field("followerCount", &UserProfile::followerCount),
            Wire::field("createdAt", &UserProfile::createdAt),
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
        return std::tuple {
            Wire::field("name", &ProfileChanges::name),
            Wire::field("avatarColor", &ProfileChanges::avatarColor),
            Wire::field("bio", &ProfileChanges::bio),
            Wire::field("link", &ProfileChanges::link),
            Wire::field("handle", &ProfileChanges::handle),
        };
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
        return std::tuple {
            Wire::field("available", &HandleAvailability::available),
            Wire::field("reason", &HandleAvailability::reason),
        };
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
        return std::tuple {
            Wire::field("uploadId", &MultipartInitResponse::uploadId),
            Wire::field("key", &MultipartInitResponse::key),
        };
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
        return std::tuple {
            Wire::field("partNumber", &UploadedPart::partNumber),
            Wire::field("etag", &UploadedPart::etag),
        };
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
        return std::tuple {
            Wire::field("uploadId", &CompleteBody::uploadId),
            Wire::field("key", &CompleteBody::key),
            Wire::field("parts", &CompleteBody::parts),
        };
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
