#include "VideoOrientation.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstring>

namespace {

constexpr double fixed16(int32_t value) { return value / 65536.0; }

} // namespace

VideoOrientation::VideoOrientation(const DisplayMatrix& matrix)
{
    const DisplayMatrix identity = { 1 << 16, 0, 0, 0, 1 << 16, 0, 0, 0, 1 << 30 };
    // Translation only places the picture; what matters for display is the 2×2 part.
    if (matrix[0] != identity[0] || matrix[1] != 0 || matrix[3] != 0 || matrix[4] != identity[4])
        m_matrix = matrix;
}

VideoOrientation VideoOrientation::ofStream(const AVStream& stream)
{
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < sizeof(DisplayMatrix))
        return {};
    DisplayMatrix matrix;
    std::memcpy(matrix.data(), data, sizeof matrix);
    return VideoOrientation(matrix);
}

QTransform VideoOrientation::transform() const
{
    if (!m_matrix)
        return {};
    const DisplayMatrix& m = *m_matrix;
    // FFmpeg maps (x, y) to (a·x + c·y, b·x + d·y) with a, b in the first row, as QTransform does.
    return QTransform(fixed16(m[0]), fixed16(m[1]), fixed16(m[3]), fixed16(m[4]), 0, 0);
}

bool VideoOrientation::swapsAxes() const
{
    const QTransform t = transform();
    return std::abs(t.m12()) > std::abs(t.m11());
}

QSize VideoOrientation::displayedSize(QSize stored) const
{
    const QTransform t = transform();
    const double width = t.m11() * stored.width() + t.m21() * stored.height();
    const double height = t.m12() * stored.width() + t.m22() * stored.height();
    return QSize(int(std::lround(std::abs(width))), int(std::lround(std::abs(height))));
}

QSize VideoOrientation::storedSize(QSize displayed) const { return swapsAxes() ? displayed.transposed() : displayed; }

QImage VideoOrientation::upright(const QImage& stored) const
{
    if (!m_matrix)
        return stored;
    return stored.transformed(transform());
}
