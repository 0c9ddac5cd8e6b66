#pragma once

#include <QSortFilterProxyModel>
#include <QtQml/qqmlregistration.h>

// The first rows of a list, in its order: a curated row that shows only the
// head of a longer list. A negative limit keeps every row.
class WallpaperCutModel : public QSortFilterProxyModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QAbstractItemModel* source READ sourceModel WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(int limit READ limit WRITE setLimit NOTIFY limitChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit WallpaperCutModel(QObject* parent = nullptr);

    void setSource(QAbstractItemModel* source);
    int limit() const { return m_limit; }
    void setLimit(int limit);
    int count() const { return rowCount(); }

signals:
    void sourceChanged();
    void limitChanged();
    void countChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    int m_limit = -1;
};
