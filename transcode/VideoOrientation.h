#pragma once

#include <QImage>
#include <QSize>
#include <QTransform>

#include <array>
#include <cstdint>
#include <optional>

struct AVStream;

// How a video's stored frames are turned for display: the display matrix its
// track carries (a quarter turn, possibly with a mirror), or none. A matrix
// that scales, shears or turns by another angle is taken as its nearest
// quarter turn; one that flattens the picture, as none.
class VideoOrientation
{
public:
    using DisplayMatrix = std::array<int32_t, 9>; // FFmpeg's layout: 16.16 fixed point, 2.30 in the last column

    VideoOrientation() = default;
    explicit VideoOrientation(const DisplayMatrix& matrix);
    // The stream's display matrix; upright when it has none.
    static VideoOrientation ofStream(const AVStream& stream);

    // The matrix to carry to an encoded copy of the stream; absent when upright.
    const std::optional<DisplayMatrix>& displayMatrix() const { return m_matrix; }
    bool isUpright() const { return !m_matrix; }
    // Whether a stored width is displayed as a height (a quarter or three-quarter turn).
    bool swapsAxes() const;

    // The displayed size of a stored frame size: the matrix applied to it, absolute values.
    QSize displayedSize(QSize stored) const;
    // The stored frame size that displays at the given size.
    QSize storedSize(QSize displayed) const;
    // The picture as it is displayed.
    QImage upright(const QImage& stored) const;

private:
    QTransform transform() const;

    std::optional<DisplayMatrix> m_matrix;
};
