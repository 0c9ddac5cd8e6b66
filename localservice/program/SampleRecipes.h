#pragma once

#include "APIModels.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// What the sample catalogue holds: its creators, its tags and its wallpapers,
// each drawn by one of FFmpeg's synthetic sources.
namespace SampleRecipes {

struct Creator
{
    QString id; // hexadecimal, fixed
    QString name;
    QString handle;
    QString avatarColor;
    bool verified = false;
    qint64 followers = 0;
};

struct Wallpaper
{
    QString key; // names the cached media and makes the fixed id
    QString title;
    QString graph; // the synthetic source, sized and timed by %1 (width×height) and %2 (frames a second)
    QSize size { 640, 360 };
    QString category; // service key
    QStringList tags; // tag ids
    int creator = 0; // index into creators()
    QStringList colors;
    bool featured = false;
    bool pick = false;
    bool free = false;
    int daysOld = 0;
    qint64 downloads = 0;
    qint64 trend = 0;
};

const QList<Creator>& creators();
const QList<APITag>& tags();
const QList<Wallpaper>& wallpapers();

// Frames of each clip and their rate: a few seconds that loop.
inline constexpr int framesPerSecond = 25;
inline constexpr int frames = 100;

} // namespace SampleRecipes
