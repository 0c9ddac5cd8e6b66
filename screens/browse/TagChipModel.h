#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One row of tag chips of the tag filter bar, in the order they are shown.
class TagChipModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Chips come from TagFilterChips")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { TagIdRole = Qt::UserRole + 1, NameRole, KindRole, SelectedRole };
    Q_ENUM(Role)

    struct Chip
    {
        QString tagId;
        QString name;
        QString kind; // the tag's group name, or "separator" between series and the rest
        bool operator==(const Chip&) const = default;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return rowCount(); }

    const QList<Chip>& chips() const { return m_chips; }
    // Rebuilds the rows only when the chips differ, so unchanged chips keep their hover state.
    void setChips(const QList<Chip>& chips);
    // Which chips light up; the rows stay.
    void setSelectedIds(const QSet<QString>& ids);

signals:
    void countChanged();

private:
    QList<Chip> m_chips;
    QSet<QString> m_selectedIds;
};
