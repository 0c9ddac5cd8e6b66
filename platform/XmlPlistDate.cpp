#include "XmlPlistDate.h"

#include <cmath>

namespace {

constexpr qint64 secondsPerDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date with astronomical years.
qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct Civil
{
    qint64 year;
    int month;
    int day;
};

Civil civilFromDays(qint64 days)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return Civil { yearOfEra + era * 400 + (month <= 2), month, day };
}

const qint64 referenceDays = daysFromCivil(2001, 1, 1);

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// A run of exactly `count` digits at `position`.
std::optional<int> digits(QStringView text, qsizetype position, int count)
{
    if (position + count > text.size())
        return std::nullopt;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[position + i];
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool isLeapYear(qint64 year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int daysInMonth(qint64 year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

std::optional<double> XmlPlistDate::parse(QStringView text)
{
    qsizetype position = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+'))) {
        negative = text[0] == QLatin1Char('-');
        ++position;
    }
    qint64 year = 0;
    const qsizetype yearStart = position;
    while (position < text.size() && isDigit(text[position]) && position - yearStart < 12)
        year = year * 10 + (text[position++].unicode() - '0');
    if (position - yearStart < 4 || position - yearStart > 11)
        return std::nullopt;
    if (negative)
        year = -year;
    const QStringView rest = text.mid(position);
    if (rest.size() != 16 || rest[0] != QLatin1Char('-') || rest[3] != QLatin1Char('-') || rest[6] != QLatin1Char('T')
        || rest[9] != QLatin1Char(':') || rest[12] != QLatin1Char(':') || rest[15] != QLatin1Char('Z'))
        return std::nullopt;
    const auto month = digits(rest, 1, 2);
    const auto day = digits(rest, 4, 2);
    const auto hour = digits(rest, 7, 2);
    const auto minute = digits(rest, 10, 2);
    const auto second = digits(rest, 13, 2);
    if (!month || !day || !hour || !minute || !second || *month < 1 || *month > 12 || *day < 1
        || *day > daysInMonth(year, *month) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const qint64 days = daysFromCivil(year, *month, *day) - referenceDays;
    const qint64 seconds = days * secondsPerDay + *hour * 3600 + *minute * 60 + *second;
    if (std::abs(double(seconds)) > maximumSeconds)
        return std::nullopt;
    return double(seconds);
}

std::optional<QString> XmlPlistDate::format(double secondsSinceReference)
{
    if (!std::isfinite(secondsSinceReference) || std::abs(secondsSinceReference) > maximumSeconds)
        return std::nullopt;
    const qint64 seconds = qint64(std::floor(secondsSinceReference));
    qint64 days = seconds / secondsPerDay;
    qint64 secondOfDay = seconds % secondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += secondsPerDay;
        --days;
    }
    const Civil date = civilFromDays(days + referenceDays);
    const QString year = date.year < 0 ? QStringLiteral("-%1").arg(-date.year, 4, 10, QLatin1Char('0'))
                                       : QStringLiteral("%1").arg(date.year, 4, 10, QLatin1Char('0'));
    return QStringLiteral("%1-%2-%3T%4:%5:%6Z")
        .arg(year)
        .arg(date.month, 2, 10, QLatin1Char('0'))
        .arg(date.day, 2, 10, QLatin1Char('0'))
        .arg(secondOfDay / 3600, 2, 10, QLatin1Char('0'))
        .arg(secondOfDay / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secondOfDay % 60, 2, 10, QLatin1Char('0'));
}
