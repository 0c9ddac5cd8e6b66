#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

class QJSEngine;
class QQmlEngine;

// The main window's sections, in sidebar order. The raw value is also the title.
enum class SidebarSection { discover, categories, upload, profile, settings };

namespace SidebarSections {

const QList<SidebarSection>& allCases();
QString rawValue(SidebarSection section);
// Exactly one of the raw values (case matters); nothing for any other text.
std::optional<SidebarSection> fromRawValue(const QString& text);
// The section's two theme colours, first then second.
QList<QColor> gradientColors(SidebarSection section);
// The dark base colour of the section's background.
QColor backgroundColor(SidebarSection section);

} // namespace SidebarSections

// The sections as QML reaches them, by raw value.
class SidebarSectionInfo : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(SidebarSections)
    QML_SINGLETON
    Q_PROPERTY(QStringList all READ all CONSTANT)

public:
    static SidebarSectionInfo* create(QQmlEngine*, QJSEngine*);

    QStringList all() const;
    // Unknown names give the colours of "Discover".
    Q_INVOKABLE QVariantList gradientColors(const QString& section) const;
    Q_INVOKABLE QColor backgroundColor(const QString& section) const;
};
