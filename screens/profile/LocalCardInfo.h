#pragma once

#include "Wallpaper.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class WallpaperManager;

// What a card of the user's own wallpaper shows of its record: the review
// badge, the kind word and the picture file.
class LocalCardInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // Over the environment's library.
    explicit LocalCardInfo(QObject* parent = nullptr);
    LocalCardInfo(WallpaperManager* manager, QObject* parent);

    // "Uploading", "Pending Review", "Public" or "Rejected" for the four exact
    // statuses; empty (no badge) for any other.
    Q_INVOKABLE static QString badgeText(const QString& submissionStatus);
    Q_INVOKABLE static QColor badgeColor(const QString& submissionStatus);
    // "Video" for a video, "Image" for pictures and gradients.
    Q_INVOKABLE static QString kindWord(const Wallpaper& wallpaper);
    // The poster in the wallpaper's folder, else its cached thumbnail; empty when neither exists.
    Q_INVOKABLE QUrl pictureFor(const Wallpaper& wallpaper) const;
    // Whether "Make Public" may show: a video never submitted.
    Q_INVOKABLE static bool canMakePublic(const Wallpaper& wallpaper);

private:
    WallpaperManager* m_manager;
};
