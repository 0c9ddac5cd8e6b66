#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// The columns of a wallpaper grid: count identical columns of a fixed width.
class GridColumns
{
    Q_GADGET
    QML_VALUE_TYPE(gridColumns)
    Q_PROPERTY(int count MEMBER count CONSTANT)
    Q_PROPERTY(double width MEMBER width CONSTANT)
    Q_PROPERTY(double spacing MEMBER spacing CONSTANT)

public:
    int count = 1;
    double width = 0.0;
    double spacing = 0.0;

    friend bool operator==(const GridColumns&, const GridColumns&) = default;
};

// The one layout rule every wallpaper grid follows, so pages line up alike.
class AppLayout : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(double gridColumnWidth READ gridColumnWidth CONSTANT)
    Q_PROPERTY(double gridSpacing READ gridSpacing CONSTANT)

public:
    static constexpr double kGridColumnWidth = 220.0;
    static constexpr double kGridSpacing = 16.0;

    explicit AppLayout(QObject* parent = nullptr);

    // As many columns as fit in width (at least one); widths that are not a
    // positive finite number give one column.
    Q_INVOKABLE static GridColumns gridColumns(double width);
    Q_INVOKABLE static int gridColumnCount(double width) { return gridColumns(width).count; }
    double gridColumnWidth() const { return kGridColumnWidth; }
    double gridSpacing() const { return kGridSpacing; }
};
