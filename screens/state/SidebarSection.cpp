#include "SidebarSection.h"

#include <QQmlEngine>

using namespace Qt::Literals::StringLiterals;

namespace {

struct SectionTheme
{
    SidebarSection section;
    QString rawValue;
    QColor first;
    QColor second;
    QColor background;
};

QColor rgb(double red, double green, double blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue), 1.0f);
}

const QList<SectionTheme>& themes()
{
    static const QList<SectionTheme> table{
        {SidebarSection::discover, u"Discover"_s, rgb(0.25, 0.55, 0.95), rgb(0.45, 0.30, 0.90), rgb(0.08, 0.10, 0.18)},
        {SidebarSection::categories, u"Categories"_s, rgb(0.95, 0.55, 0.20), rgb(0.90, 0.35, 0.30), rgb(0.15, 0.10, 0.08)},
        {SidebarSection::upload, u"Upload"_s, rgb(0.40, 0.75, 0.45), rgb(0.25, 0.60, 0.50), rgb(0.08, 0.14, 0.10)},
        {SidebarSection::profile, u"Profile"_s, rgb(0.50, 0.30, 0.90), rgb(0.35, 0.20, 0.75), rgb(0.10, 0.06, 0.16)},
        {SidebarSection::settings, u"Settings"_s, rgb(0.30, 0.65, 0.80), rgb(0.20, 0.50, 0.70), rgb(0.06, 0.12, 0.16)},
    };
    return table;
}

const SectionTheme& themeOf(SidebarSection section)
{
    return themes().at(int(section));
}

} // namespace

namespace SidebarSections {

const QList<SidebarSection>& allCases()
{
    static const QList<SidebarSection> cases = [] {
        QList<SidebarSection> list;
        for (const SectionTheme& theme : themes())
            list.append(theme.section);
        return list;
    }();
    return cases;
}

QString rawValue(SidebarSection section)
{
    return themeOf(section).rawValue;
}

std::optional<SidebarSection> fromRawValue(const QString& text)
{
    for (const SectionTheme& theme : themes()) {
        if (theme.rawValue == text)
            return theme.section;
    }
    return std::nullopt;
}

QList<QColor> gradientColors(SidebarSection section)
{
    return {themeOf(section).first, themeOf(section).second};
}

QColor backgroundColor(SidebarSection section)
{
    return themeOf(section).background;
}

} // namespace SidebarSections

SidebarSectionInfo* SidebarSectionInfo::create(QQmlEngine*, QJSEngine*)
{
    return new SidebarSectionInfo;
}

QStringList SidebarSectionInfo::all() const
{
    QStringList names;
    for (SidebarSection section : SidebarSections::allCases())
        names.append(SidebarSections::rawValue(section));
    return names;
}

QVariantList SidebarSectionInfo::gradientColors(const QString& section) const
{
    QVariantList colors;
    for (const QColor& color : SidebarSections::gradientColors(
             SidebarSections::fromRawValue(section).value_or(SidebarSection::discover)))
        colors.append(color);
    return colors;
}

QColor SidebarSectionInfo::backgroundColor(const QString& section) const
{
    return SidebarSections::backgroundColor(SidebarSections::fromRawValue(section).value_or(SidebarSection::discover));
}
