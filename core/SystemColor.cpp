#include "SystemColor.h"

QColor systemColor(SystemColor name)
{
    switch (name) {
    case SystemColor::red: return QColor(255, 69, 58);
    case SystemColor::orange: return QColor(255, 159, 10);
    case SystemColor::yellow: return QColor(255, 214, 10);
    case SystemColor::green: return QColor(48, 209, 88);
    case SystemColor::mint: return QColor(102, 212, 207);
    case SystemColor::teal: return QColor(64, 200, 224);
    case SystemColor::cyan: return QColor(100, 210, 255);
    case SystemColor::blue: return QColor(10, 132, 255);
    case SystemColor::indigo: return QColor(94, 92, 230);
    case SystemColor::purple: return QColor(191, 90, 242);
    case SystemColor::pink: return QColor(255, 55, 95);
    case SystemColor::brown: return QColor(172, 142, 104);
    }
    return QColor(Qt::black);
}
