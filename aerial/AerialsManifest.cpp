#include "AerialsManifest.h"

#include "RegularFile.h"
#include "SystemWallpaper.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <charconv>
#include <limits>
#include <set>

namespace {

const QString keyAssets = QStringLiteral("assets");
const QString keyCategories = QStringLiteral("categories");
const QString keyID = QStringLiteral("id");
const QString keyRepresentative = QStringLiteral("representativeAssetID");
const QString keyPreviewImage = QStringLiteral("previewImage");
const QString keySubcategories = QStringLiteral("subcategories");
const QLatin1String shotPrefix("LANTO_");

// A signed decimal integer: an optional sign, then digits only, within 64 bits.
std::optional<qint64> strictInteger(const QString& text)
{
    QByteArray digits = text.toLatin1(); // other characters become '?', which no digit matches
    if (digits.startsWith('+')) {
        digits.remove(0, 1);
        if (digits.startsWith('-'))
            return std::nullopt;
    }
    qint64 value = 0;
    const char* end = digits.constData() + digits.size();
    const auto [stop, error] = std::from_chars(digits.constData(), end, value);
    if (digits.isEmpty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

QJsonObject sharedCategoryFields(const QString& id, const QString& assetID)
{
    return QJsonObject {
        { keyID, id },
        { QStringLiteral("localizedNameKey"), QStringLiteral("Lanto") },
        { QStringLiteral("localizedDescriptionKey"), QStringLiteral("Custom wallpapers from Lanto") },
        { keyRepresentative, assetID },
        { keyPreviewImage, QString() },
        { QStringLiteral("preferredOrder"), 0 },
    };
}

bool inLantoCategory(const QJsonObject& asset)
{
    return asset.value(keyCategories).toArray().contains(QString(SystemWallpaper::lantoCategoryID));
}

} // namespace

AerialsManifest::AerialsManifest()
    : m_root { { keyAssets, QJsonArray() }, { keyCategories, QJsonArray() }, { QStringLiteral("version"), 1 } }
{
}

QJsonArray AerialsManifest::objectsAt(const QString& key) const
{
    // Elements that are not objects stay as they are: they are the system's, and
    // every reader here sees them as entries without an id.
    return m_root.value(key).toArray();
}

QJsonObject AerialsManifest::findByID(const QJsonArray& entries, const QString& id)
{
    for (const QJsonValue& entry : entries) {
        if (entry.toObject().value(keyID) == id)
            return entry.toObject();
    }
    return {};
}

QJsonObject AerialsManifest::lantoCategory() const { return findByID(categories(), SystemWallpaper::lantoCategoryID); }

QString AerialsManifest::nextShotID() const
{
    std::set<qint64> used;
    for (const QJsonValue& entry : assets()) {
        const QString shotID = entry.toObject().value(QStringLiteral("shotID")).toString();
        if (!shotID.startsWith(shotPrefix))
            continue;
        if (const auto number = strictInteger(shotID.mid(shotPrefix.size())))
            used.insert(*number);
    }
    if (used.empty())
        return shotPrefix + QStringLiteral("1");
    const qint64 largest = *used.rbegin();
    // The largest number has no successor: take the smallest free positive one instead.
    if (largest == std::numeric_limits<qint64>::max()) {
        qint64 next = 1;
        while (used.count(next) != 0)
            ++next;
        return shotPrefix + QString::number(next);
    }
    return shotPrefix + QString::number(largest + 1);
}

QJsonObject AerialsManifest::assetEntry(const QString& assetID, const QString& shotID, const QString& title,
    const QString& videoURL, const QString& thumbnailURL)
{
    return QJsonObject {
        { keyID, assetID },
        { QStringLiteral("shotID"), shotID },
        { QStringLiteral("accessibilityLabel"), title },
        { QStringLiteral("localizedNameKey"), title },
        { keyPreviewImage, thumbnailURL },
        { QStringLiteral("url-4K-SDR-240FPS"), videoURL },
        { QStringLiteral("showInTopLevel"), true },
        { QStringLiteral("includeInShuffle"), true },
        { QStringLiteral("preferredOrder"), 0 },
        { keyCategories, QJsonArray { QString(SystemWallpaper::lantoCategoryID) } },
        { keySubcategories, QJsonArray { QString(SystemWallpaper::lantoSubcategoryID) } },
        { QStringLiteral("pointsOfInterest"), QJsonObject { { QStringLiteral("0"), shotID + QStringLiteral("_0") } } },
    };
}

void AerialsManifest::appendAsset(const QJsonObject& entry)
{
    QJsonArray entries = assets();
    entries.append(entry);
    m_root.insert(keyAssets, entries);
}

template <typename Change> void AerialsManifest::changeLantoCategory(Change change)
{
    QJsonArray entries = categories();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QJsonObject category = entries.at(i).toObject();
        if (category.value(keyID) != QString(SystemWallpaper::lantoCategoryID))
            continue;
        change(category);
        QJsonArray children = category.value(keySubcategories).toArray();
        if (!children.isEmpty() && children.first().isObject()) {
            QJsonObject first = children.first().toObject();
            change(first);
            children.replace(0, first);
            category.insert(keySubcategories, children);
        }
        entries.replace(i, category);
        m_root.insert(keyCategories, entries);
        return;
    }
}

bool AerialsManifest::holdsOtherThanAnArray(const QString& key) const
{
    const auto it = m_root.constFind(key);
    return it != m_root.constEnd() && !it->isArray();
}

void AerialsManifest::ensureCategory(const QString& assetID)
{
    const QJsonObject existing = lantoCategory();
    if (!existing.isEmpty()) {
        // Only the category's own representative decides; its first subcategory follows it.
        const QJsonValue representative = existing.value(keyRepresentative);
        if (representative.isString() && !representative.toString().isEmpty())
            return;
        changeLantoCategory([&](QJsonObject& category) {
            category.insert(keyRepresentative, assetID);
            category.insert(keyPreviewImage, QString());
        });
        return;
    }
    QJsonObject category = sharedCategoryFields(SystemWallpaper::lantoCategoryID, assetID);
    category.insert(
        keySubcategories, QJsonArray { sharedCategoryFields(SystemWallpaper::lantoSubcategoryID, assetID) });
    QJsonArray entries = categories();
    entries.append(category);
    m_root.insert(keyCategories, entries);
}

void AerialsManifest::removeAsset(const QString& assetID)
{
    // A list that is not an array holds no entry of this system: it stays as the system wrote it.
    if (holdsOtherThanAnArray(keyAssets))
        return;
    QJsonArray kept;
    for (const QJsonValue& entry : assets()) {
        if (entry.toObject().value(keyID) != assetID)
            kept.append(entry);
    }
    m_root.insert(keyAssets, kept);
    repointCategory();
    if (!categoryHasAssets())
        dropCategory();
}

void AerialsManifest::repointCategory()
{
    for (const QJsonValue& entry : assets()) {
        const QJsonObject asset = entry.toObject();
        if (!inLantoCategory(asset) || !asset.value(keyID).isString())
            continue;
        changeLantoCategory([&](QJsonObject& category) {
            category.insert(keyRepresentative, asset.value(keyID));
            if (asset.value(keyPreviewImage).isString())
                category.insert(keyPreviewImage, asset.value(keyPreviewImage));
        });
        return;
    }
}

bool AerialsManifest::categoryHasAssets() const
{
    const QJsonArray entries = assets();
    return std::any_of(
        entries.begin(), entries.end(), [](const QJsonValue& entry) { return inLantoCategory(entry.toObject()); });
}

void AerialsManifest::dropCategory()
{
    if (holdsOtherThanAnArray(keyCategories))
        return;
    QJsonArray kept;
    for (const QJsonValue& entry : categories()) {
        if (entry.toObject().value(keyID) != QString(SystemWallpaper::lantoCategoryID))
            kept.append(entry);
    }
    m_root.insert(keyCategories, kept);
}

namespace AerialsManifestFile {

ReadResult read(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    std::optional<RegularFile> file = RegularFile::open(path);
    if (!file)
        return { ReadResult::Status::Unreadable, {}, QStringLiteral("The file cannot be opened as a regular file.") };
    const std::optional<QByteArray> bytes = file->contents(maximumSize);
    if (!bytes)
        return { ReadResult::Status::Unreadable, {},
            QStringLiteral("The file is larger than %1 bytes or cannot be read.").arg(maximumSize) };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return { ReadResult::Status::Unreadable, {}, parseError.errorString() };
    if (!document.isObject())
        return { ReadResult::Status::NotAnObject, {}, {} };
    return { ReadResult::Status::Read, AerialsManifest(document.object()), {} };
}

bool write(const QString& path, const AerialsManifest& manifest, QString* error)
{
    // Object keys come out sorted.
    return writeWholeFile(path, QJsonDocument(manifest.root()).toJson(QJsonDocument::Indented), error);
}

} // namespace AerialsManifestFile
