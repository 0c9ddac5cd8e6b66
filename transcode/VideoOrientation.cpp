#include "VideoOrientation.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

using DisplayMatrix = VideoOrientation::DisplayMatrix;

constexpr int32_t one = 1 << 16;

constexpr double fixed16(int32_t value) { return value / 65536.0; }

// Each row and column of the 2×2 part holds one entry of ±1.
bool isQuarterTurn(const DisplayMatrix& m)
{
    const auto unit = [](int32_t value) { return value == one || value == -one; };
    return (unit(m[0]) && unit(m[4]) && m[1] == 0 && m[3] == 0) || (unit(m[1]) && unit(m[3]) && m[0] == 0 && m[4] == 0);
}

// The quarter turn, mirrored where the matrix mirrors, nearest to a matrix
// that also scales, shears or turns by another angle; none when it flattens
// the picture. Taken as it stands, such a matrix could ask for a picture of
// any size.
std::optional<DisplayMatrix> nearestQuarterTurn(const DisplayMatrix& m)
{
    const double a = m[0], b = m[1], c = m[3], d = m[4];
    const double determinant = a * d - b * c;
    if (determinant == 0)
        return std::nullopt;
    // Undo the mirror on x, then round the angle the x axis is turned by.
    const int mirror = determinant < 0 ? -1 : 1;
    const long quarters = std::lround(std::atan2(mirror * b, mirror * a) / (std::numbers::pi / 2));
    static constexpr std::array<std::array<int32_t, 2>, 4> cosineAndSine { { { 1, 0 }, { 0, 1 }, { -1, 0 }, { 0, -1 } } };
    const auto [cosine, sine] = cosineAndSine[size_t((quarters % 4 + 4) % 4)];
    return DisplayMatrix { mirror * cosine * one, mirror * sine * one, 0, -sine * one, cosine * one, 0, 0, 0, 1 << 30 };
}

} // namespace

VideoOrientation::VideoOrientation(const DisplayMatrix& matrix)
{
    const std::optional<DisplayMatrix> turn = isQuarterTurn(matrix) ? matrix : nearestQuarterTurn(matrix);
    // Translation only places the picture; what matters for display is the 2×2 part.
    if (turn && ((*turn)[0] != one || (*turn)[1] != 0 || (*turn)[3] != 0 || (*turn)[4] != one))
        m_matrix = turn;
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
