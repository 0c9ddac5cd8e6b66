#include "WallpaperFormat.h"

#include <array>
#include <cmath>

namespace {

// The number with at most decimals places, trailing zeros dropped.
QString trimmed(double value, int decimals, const QLocale& locale)
{
    QString text = locale.toString(value, 'f', decimals);
    const QString point = locale.decimalPoint();
    if (decimals > 0 && text.contains(point)) {
        while (text.endsWith(locale.zeroDigit()))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

} // namespace

QString WallpaperFormat::compactCount(qint64 count, const QLocale& locale)
{
    static constexpr std::array<const char*, 4> suffixes { "K", "M", "B", "T" };
    const double magnitude = std::abs(double(count));
    if (magnitude < 1000)
        return locale.toString(count);
    const QString sign = count < 0 ? locale.negativeSign() : QString();
    double unit = 1000;
    for (size_t i = 0; i < suffixes.size(); ++i, unit *= 1000) {
        const double value = magnitude / unit;
        const int decimals = value < 10 ? 1 : 0;
        const double rounded = std::round(value * std::pow(10, decimals)) / std::pow(10, decimals);
        // 999,999 rounds up to the next unit: 1M rather than 1000K.
        if (rounded >= 1000 && i + 1 < suffixes.size())
            continue;
        return sign + trimmed(rounded, decimals, locale) + QLatin1String(suffixes[i]);
    }
    return locale.toString(count);
}

QString WallpaperFormat::fileSize(qint64 bytes, const QLocale& locale)
{
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    if (std::abs(bytes) == 1)
        return locale.toString(bytes) + QStringLiteral(" byte");
    if (std::abs(bytes) < 1000)
        return locale.toString(bytes) + QStringLiteral(" bytes");
    struct Unit
    {
        const char* name;
        int decimals;
    };
    static constexpr std::array<Unit, 5> units { { { "KB", 0 }, { "MB", 1 }, { "GB", 2 }, { "TB", 2 }, { "PB", 2 } } };
    double value = std::abs(double(bytes));
    for (size_t i = 0; i < units.size(); ++i) {
        value /= 1000;
        const double scale = std::pow(10, units[i].decimals);
        const double rounded = std::round(value * scale) / scale;
        if (rounded >= 1000 && i + 1 < units.size())
            continue;
        const QString sign = bytes < 0 ? locale.negativeSign() : QString();
        return sign + trimmed(rounded, units[i].decimals, locale) + u' ' + QLatin1String(units[i].name);
    }
    return {};
}
