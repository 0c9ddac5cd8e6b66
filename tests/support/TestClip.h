#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

#include <functional>

// Short videos made by the tests and benchmarks themselves with the FFmpeg
// libraries: solid colours, optionally under a moving pattern, so that a
// decoder has real work to do.
namespace TestClip {

struct Recipe
{
    QSize size { 320, 180 };
    int framesPerSecond = 30;
    int frames = 30;
    // An FFmpeg encoder: "mpeg4" is built in and fast; "libx265" with tenBit
    // gives HEVC Main 10.
    QString encoder = QStringLiteral("mpeg4");
    bool tenBit = false;
    // The colour of each frame.
    std::function<QColor(int frame)> colour = [](int) { return QColor(Qt::green); };
    // Set: the lower half of every frame has this colour instead.
    QColor lowerHalf;
    // Adds a diagonal pattern that moves every frame.
    bool movingPattern = false;
    // Clockwise degrees the track's display matrix turns the frames by; 0 for none.
    int rotationClockwise = 0;
    // False for a file without video.
    bool video = true;
    // Adds a track of 16-bit mono sound as long as the video (or frames / framesPerSecond without).
    bool audio = false;
    // Metadata of the whole file and of the video track, in order; a key may repeat.
    QList<QPair<QByteArray, QByteArray>> fileTags;
    QList<QPair<QByteArray, QByteArray>> videoTags;
};

// Writes the clip to path (the container follows the extension); false with
// the reason in error on failure.
bool write(const QString& path, const Recipe& recipe, QString* error = nullptr);

} // namespace TestClip
