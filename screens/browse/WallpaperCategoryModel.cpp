#include "WallpaperCategoryModel.h"

#include "WallpaperCategory.h"

#include <QColor>

int WallpaperCategoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(WallpaperCategories::allCases().size());
}

QVariant WallpaperCategoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const WallpaperCategory category = WallpaperCategories::allCases().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return rawValue(category);
    case IconRole: return icon(category);
    case ColorRole: return color(category);
    }
    return {};
}

QHash<int, QByteArray> WallpaperCategoryModel::roleNames() const
{
    return {{NameRole, "name"}, {IconRole, "icon"}, {ColorRole, "color"}};
}

QString WallpaperCategoryModel::iconOf(const QString& name) const
{
    const auto category = WallpaperCategories::fromRawValue(name);
    return category ? icon(*category) : QString();
}

QColor WallpaperCategoryModel::colorOf(const QString& name) const
{
    const auto category = WallpaperCategories::fromRawValue(name);
    return category ? color(*category) : QColor();
}
