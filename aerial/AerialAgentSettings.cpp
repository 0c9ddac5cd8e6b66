#include "AerialAgentSettings.h"

#include "AerialManagerLog.h"
#include "LantoSettings.h"
#include "PlacedAerialFiles.h"

#include <QJsonDocument>

namespace {

void log(const QString& text) { AerialManagerLog::write(text); }

PlistValue::Dictionary toDictionary(const QMap<QString, QString>& map)
{
    PlistValue::Dictionary dictionary;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        dictionary.insert(it.key(), it.value());
    return dictionary;
}

} // namespace

QMap<QString, QString> AerialAgentSettings::assetToHex() const
{
    QMap<QString, QString> map;
    const auto stored = m_settings.dictionary(SettingsKey::aerialAssetToHex);
    if (!stored)
        return map;
    for (auto it = stored->cbegin(); it != stored->cend(); ++it) {
        const auto hex = it->toString();
        if (!hex)
            return {};
        map.insert(it.key(), *hex);
    }
    return map;
}

void AerialAgentSettings::recordAssetHex(const QString& assetID, const QString& hex)
{
    auto map = assetToHex();
    map.insert(assetID, hex);
    m_settings.set(SettingsKey::aerialAssetToHex, toDictionary(map));
}

void AerialAgentSettings::removeAssetHex(const QString& assetID)
{
    auto map = assetToHex();
    map.remove(assetID);
    m_settings.set(SettingsKey::aerialAssetToHex, toDictionary(map));
}

void AerialAgentSettings::persist(const QString& assetID, const QString& displayUUID)
{
    m_settings.set(SettingsKey::activeAerialID, assetID);
    m_settings.set(SettingsKey::activeDisplayUUID, displayUUID);
    m_settings.set(SettingsKey::lockScreenEnabled, true);
    if (const auto manifest = m_files.readManifest()) {
        const auto cache = [this](const QString& key, const QJsonObject& entry) {
            if (!entry.isEmpty())
                m_settings.set(key, QJsonDocument(entry).toJson(QJsonDocument::Compact));
        };
        cache(SettingsKey::cachedAssetEntry, manifest->asset(assetID));
        cache(SettingsKey::cachedCategoryEntry, manifest->lantoCategory());
    }
    log(QStringLiteral("Persisted aerial %1 on display %2 for agent (with manifest cache)").arg(assetID, displayUUID));
}

void AerialAgentSettings::clear()
{
    m_settings.set(SettingsKey::activeAerialID, std::nullopt);
    m_settings.set(SettingsKey::activeDisplayUUID, std::nullopt);
    m_settings.set(SettingsKey::cachedAssetEntry, std::nullopt);
    m_settings.set(SettingsKey::cachedCategoryEntry, std::nullopt);
    m_settings.set(SettingsKey::lockScreenEnabled, false);
    log(QStringLiteral("Cleared agent aerial state"));
}
