#pragma once

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// The palette's named colours as QML reads them (green for the active
// wallpaper, red for favourites, the status badges' colours).
class AppColors : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor red READ red CONSTANT)
    Q_PROPERTY(QColor orange READ orange CONSTANT)
    Q_PROPERTY(QColor green READ green CONSTANT)
    Q_PROPERTY(QColor blue READ blue CONSTANT)

public:
    using QObject::QObject;

    static QColor red();
    static QColor orange();
    static QColor green();
    static QColor blue();
};
