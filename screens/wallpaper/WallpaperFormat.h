#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The number texts of the cards and the detail page, in the user's locale.
class WallpaperFormat : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // A count in compact notation: 999, 1.2K, 12K, 123K, 1.5M. Two significant
    // digits below ten of a unit, whole units above.
    Q_INVOKABLE static QString compactCount(qint64 count, const QLocale& locale = QLocale());
    // A file size as a file browser shows it, in units of 1000: "Zero KB",
    // "1 byte", "512 bytes", "12 KB", "1.2 MB", "3.45 GB".
    Q_INVOKABLE static QString fileSize(qint64 bytes, const QLocale& locale = QLocale());
};
