#pragma once

#include <QJsonObject>
#include <QString>

// The manifest entries the agent writes when Lanto cached none for the
// aerial, under the agent's own category ids.
namespace AgentFallbackEntries {

// Not UUID texts ("W" and "X" are not hex digits), and not Lanto's category: the agent's own.
inline constexpr char categoryID[] = "WX000000-0000-4000-8000-000000000001";
inline constexpr char subcategoryID[] = "WX000000-0000-4000-8000-000000000002";
inline constexpr char shotID[] = "LANTO_1";

QJsonObject assetEntry(const QString& assetID, const QString& videoURL, const QString& thumbnailURL);
QJsonObject categoryEntry(const QString& assetID);

} // namespace AgentFallbackEntries
