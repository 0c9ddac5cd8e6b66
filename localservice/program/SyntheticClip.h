#pragma once

#include <QString>

// A short movie drawn by one of FFmpeg's synthetic sources (a filter graph
// without inputs, such as "mandelbrot=s=640x360:r=25"), encoded quickly as
// MPEG-4 Part 2: the raw material the import pipeline turns into a sample
// wallpaper.
namespace SyntheticClip {

// Writes `frames` frames of the graph to path (the container follows the
// extension). False with the reason in error on failure.
bool write(const QString& graph, int frames, int framesPerSecond, const QString& path, QString* error = nullptr);

} // namespace SyntheticClip
