#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The lock-screen aerial the agent keeps in place, as Lanto left it in
// Settings.plist. Read straight from the file, never through the settings
// store, so it is what Lanto last wrote.
struct AgentAerialState
{
    std::optional<QString> aerialID;
    std::optional<QString> displayUUID;
    std::optional<QJsonObject> cachedAssetEntry;
    std::optional<QJsonObject> cachedCategoryEntry;

    // Both the asset and its display are known.
    bool isSet() const { return aerialID && displayUUID; }

    // Reads the state from the settings file, logging why it was cleared.
    // The cached entries are only replaced by readable ones.
    void load(const QString& settingsPath);
};
