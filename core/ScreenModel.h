#pragma once

#include "KeyedArchive.h"

#include "Displays.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

class DesktopPicture;
class LantoSettings;
class ScreenModel;

// Screen models keyed by their id, the decimal text of the serial number.
using ScreenModelMap = QMap<QString, ScreenModel>;

// What the system shows on one physical display, and what to restore there.
// Both programs archive these records under "screenModels" in the same form,
// with the class name "ScreenModel".
class ScreenModel final : public KeyedCodable
{
public:
    // A record for a display that is attached now.
    ScreenModel(quint32 serialNumber, QString screenName);
    // A record for an attached display, remembering the desktop picture the system shows on it.
    ScreenModel(const ConnectedDisplay& display, const DesktopPicture& desktopPicture);

    // The display's number, or 0 when it has none.
    static quint32 serialNumber(const ConnectedDisplay& display) { return display.number.value_or(0); }

    // The key of a display in every per-display map: its serial number in decimal.
    static QString screenId(const ConnectedDisplay& display) { return QString::number(serialNumber(display)); }

    quint32 serialNumber() const { return m_serialNumber; }
    // The key of every per-display map.
    QString id() const { return QString::number(m_serialNumber); }

    QString screenName;
    bool isConnection = true; // not archived: learnt afresh from the display list
    bool isShowingWallpaper = false;
    std::optional<QUuid> wallpaperID;
    std::optional<QUrl> wallpaperImageURL;
    std::optional<QUrl> videoURL;
    double playbackPosition = 0; // seconds
    // When playbackPosition was taken from a playing video: the program that
    // takes the video over goes on from there as far as the time since. None
    // when the video did not play then.
    std::optional<QDateTime> playbackPositionDate;
    std::optional<QUrl> systemWallpaperURL;

    // Reads the archive under "screenModels"; a missing, corrupt or foreign archive gives an empty map.
    static ScreenModelMap loadAll(LantoSettings& settings);
    static ScreenModelMap loadAll();
    // Archives the records under "screenModels"; failures are only logged.
    static void saveAll(const ScreenModelMap& models, LantoSettings& settings);
    static void saveAll(const ScreenModelMap& models);

    // Keyed coding.
    QString archiveClassName() const override;
    void encode(KeyedEncoder& encoder) const override;
    // Nothing when the object is not a record or its serial number does not fit 32 bits.
    static std::optional<ScreenModel> decode(const ArchivedObject& object);

    bool operator==(const ScreenModel& other) const;

private:
    quint32 m_serialNumber;
};
