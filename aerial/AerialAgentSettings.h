#pragma once

#include <QMap>
#include <QString>

class LantoSettings;
class PlacedAerialFiles;

// What the aerial manager keeps in the settings for others: the placed aerial
// and its display, with the manifest entries cached, for the agent to keep it
// in place; and the map from asset id to the wallpaper's folder, which the
// loopback server serves the files through. Not thread-safe: the aerial
// manager serialises calls.
class AerialAgentSettings
{
public:
    AerialAgentSettings(LantoSettings& settings, const PlacedAerialFiles& files) : m_settings(settings), m_files(files)
    {
    }

    // "aerialAssetToHex"; empty when any value is not text.
    QMap<QString, QString> assetToHex() const;
    void recordAssetHex(const QString& assetID, const QString& hex);
    void removeAssetHex(const QString& assetID);

    // Records the aerial as the active one, turns the lock screen on and caches its manifest entries.
    void persist(const QString& assetID, const QString& displayUUID);
    // Forgets the active aerial and its cached entries, and turns the lock screen off.
    void clear();

private:
    LantoSettings& m_settings;
    const PlacedAerialFiles& m_files;
};
