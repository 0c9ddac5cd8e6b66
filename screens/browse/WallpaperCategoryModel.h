#pragma once

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

// The twelve categories in grid order, for the category cards: name (also the
// key the category is opened by), symbol and colour.
class WallpaperCategoryModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum Role { NameRole = Qt::UserRole + 1, IconRole, ColorRole };
    Q_ENUM(Role)

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The symbol and colour of the category with that name; nothing for another name.
    Q_INVOKABLE QString iconOf(const QString& name) const;
    Q_INVOKABLE QColor colorOf(const QString& name) const;
};
