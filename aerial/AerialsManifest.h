#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// The operating system's aerials manifest ("entries.json"): the assets and
// categories that it offers as video wallpapers. Changes keep every key and
// entry this system does not own as read, in their order. A plain value; both
// programs use it.
class AerialsManifest
{
public:
    // The manifest a missing file stands for.
    AerialsManifest();
    explicit AerialsManifest(QJsonObject root) : m_root(std::move(root)) { }

    const QJsonObject& root() const { return m_root; }

    // A missing key, or one that is not an array, counts as empty; elements that are not objects are kept.
    QJsonArray assets() const { return objectsAt(QStringLiteral("assets")); }
    QJsonArray categories() const { return objectsAt(QStringLiteral("categories")); }

    // "LANTO_" and one more than the largest number among the shot ids this system wrote.
    QString nextShotID() const;

    bool hasAsset(const QString& assetID) const { return !findByID(assets(), assetID).isEmpty(); }
    QJsonObject asset(const QString& assetID) const { return findByID(assets(), assetID); }
    QJsonObject lantoCategory() const;

    void appendAsset(const QJsonObject& entry);
    // Adds this system's category with the asset as its representative, or
    // gives the category that asset when it has no representative.
    void ensureCategory(const QString& assetID);
    // Removes every entry of the asset and keeps the category pointing at an
    // asset that remains, or drops it when none of its assets remains.
    void removeAsset(const QString& assetID);

    // The asset entry that injection writes.
    static QJsonObject assetEntry(const QString& assetID, const QString& shotID, const QString& title,
        const QString& videoURL, const QString& thumbnailURL);

private:
    QJsonArray objectsAt(const QString& key) const;
    static QJsonObject findByID(const QJsonArray& entries, const QString& id);
    void repointCategory();
    void dropCategory();
    bool categoryHasAssets() const;
    // Whether the root holds the key with a value that is not an array.
    bool holdsOtherThanAnArray(const QString& key) const;
    // Calls change on the first entry of this system's category, and on its first subcategory.
    template <typename Change> void changeLantoCategory(Change change);

    QJsonObject m_root;
};

namespace AerialsManifestFile {

struct ReadResult
{
    enum class Status {
        Missing, // no file: manifest holds the fresh manifest
        Unreadable, // could not be read or parsed; error says why
        NotAnObject,
        Read,
    };
    Status status = Status::Missing;
    AerialsManifest manifest;
    QString error;
};

// Files larger than this are not read.
constexpr qint64 maximumSize = 32 * 1024 * 1024;

ReadResult read(const QString& path);
// Writes pretty-printed JSON whole and atomically, creating the folder; on failure false and the reason.
bool write(const QString& path, const AerialsManifest& manifest, QString* error);

} // namespace AerialsManifestFile
