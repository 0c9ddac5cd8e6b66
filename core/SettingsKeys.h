#pragma once

#include <QString>

// Every key of Settings.plist. Both programs read and write these names.
namespace SettingsKey {

inline const QString launchAtLogin = QStringLiteral("launchAtLogin");
inline const QString pauseOnBattery = QStringLiteral("pauseOnBattery");
inline const QString pauseOnFullscreen = QStringLiteral("pauseOnFullscreen");
inline const QString reducedFrameRate = QStringLiteral("reducedFrameRate");
inline const QString respectReduceMotion = QStringLiteral("respectReduceMotion");
inline const QString lockScreenEnabled = QStringLiteral("lockScreenEnabled");
inline const QString screenModels = QStringLiteral("screenModels");
inline const QString injectedWallpapers = QStringLiteral("injectedWallpapers");
inline const QString aerialAssetToHex = QStringLiteral("aerialAssetToHex");
inline const QString activeAerialID = QStringLiteral("activeAerialID");
inline const QString activeDisplayUUID = QStringLiteral("activeDisplayUUID");
inline const QString cachedAssetEntry = QStringLiteral("cachedAssetEntry");
inline const QString cachedCategoryEntry = QStringLiteral("cachedCategoryEntry");
inline const QString favorites = QStringLiteral("favorites");
inline const QString downloads = QStringLiteral("downloads");
inline const QString favoritesPublic = QStringLiteral("favoritesPublic");
inline const QString appleUserID = QStringLiteral("appleUserID");
inline const QString appleEmail = QStringLiteral("appleEmail");
inline const QString appleDisplayName = QStringLiteral("appleDisplayName");
inline const QString profileId = QStringLiteral("profileId");
inline const QString avatarColor = QStringLiteral("avatarColor");
inline const QString avatarUrl = QStringLiteral("avatarUrl");
inline const QString handle = QStringLiteral("handle");
inline const QString accountCreatedAt = QStringLiteral("accountCreatedAt");
inline const QString lastFavoritesSyncAt = QStringLiteral("lastFavoritesSyncAt");

} // namespace SettingsKey
