#include "AgentFallbackEntries.h"

#include <QJsonArray>

namespace AgentFallbackEntries {

QJsonObject assetEntry(const QString& assetID, const QString& videoURL, const QString& thumbnailURL)
{
    const QString label = QStringLiteral("Lanto Wallpaper");
    return QJsonObject {
        { QStringLiteral("id"), assetID },
        { QStringLiteral("shotID"), QLatin1String(shotID) },
        { QStringLiteral("accessibilityLabel"), label },
        { QStringLiteral("localizedNameKey"), label },
        { QStringLiteral("previewImage"), thumbnailURL },
        { QStringLiteral("url-4K-SDR-240FPS"), videoURL },
        { QStringLiteral("showInTopLevel"), true },
        { QStringLiteral("includeInShuffle"), true },
        { QStringLiteral("preferredOrder"), 0 },
        { QStringLiteral("categories"), QJsonArray { QLatin1String(categoryID) } },
        { QStringLiteral("subcategories"), QJsonArray { QLatin1String(subcategoryID) } },
        { QStringLiteral("pointsOfInterest"), QJsonObject { { QStringLiteral("0"), QStringLiteral("LANTO_1_0") } } },
    };
}

QJsonObject categoryEntry(const QString& assetID)
{
    const auto entry = [&](const char* id) {
        return QJsonObject {
            { QStringLiteral("id"), QLatin1String(id) },
            { QStringLiteral("localizedNameKey"), QStringLiteral("Lanto") },
            { QStringLiteral("localizedDescriptionKey"), QStringLiteral("Custom wallpapers from Lanto") },
            { QStringLiteral("representativeAssetID"), assetID },
            { QStringLiteral("previewImage"), QString() },
            { QStringLiteral("preferredOrder"), 0 },
        };
    };
    QJsonObject category = entry(categoryID);
    category.insert(QStringLiteral("subcategories"), QJsonArray { entry(subcategoryID) });
    return category;
}

} // namespace AgentFallbackEntries
