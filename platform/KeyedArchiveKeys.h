#pragma once

#include <QString>
#include <QtGlobal>

// The keys and class names of the keyed-archive layout itself, shared by its
// writer and its reader.
namespace KeyedArchiveKeys {

inline const QString nullMarker = QStringLiteral("$null");
inline const QString classKey = QStringLiteral("$class");
inline const QString classNameKey = QStringLiteral("$classname");
inline const QString classesKey = QStringLiteral("$classes");
inline const QString objectsKey = QStringLiteral("$objects");
inline const QString topKey = QStringLiteral("$top");
inline const QString rootKey = QStringLiteral("root");
inline const QString arrayItemsKey = QStringLiteral("NS.objects");
inline const QString urlBaseKey = QStringLiteral("NS.base");
inline const QString urlRelativeKey = QStringLiteral("NS.relative");
inline const QString stringTextKey = QStringLiteral("NS.string");
inline const QString objectClass = QStringLiteral("NSObject");

constexpr qint64 archiveVersion = 100000;

} // namespace KeyedArchiveKeys
