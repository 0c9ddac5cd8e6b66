#include "TagChipModel.h"

#include <QSet>

int TagChipModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_chips.size());
}

QVariant TagChipModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Chip& chip = m_chips.at(index.row());
    switch (role) {
    case TagIdRole: return chip.tagId;
    case Qt::DisplayRole:
    case NameRole: return chip.name;
    case KindRole: return chip.kind;
    case SelectedRole: return !chip.tagId.isEmpty() && m_selectedIds.contains(chip.tagId);
    }
    return {};
}

QHash<int, QByteArray> TagChipModel::roleNames() const
{
    return {{TagIdRole, "tagId"}, {NameRole, "name"}, {KindRole, "kind"}, {SelectedRole, "selected"}};
}

void TagChipModel::setChips(const QList<Chip>& chips)
{
    if (m_chips == chips)
        return;
    const bool countChanges = chips.size() != m_chips.size();
    beginResetModel();
    m_chips = chips;
    endResetModel();
    if (countChanges)
        emit countChanged();
}

void TagChipModel::setSelectedIds(const QSet<QString>& ids)
{
    if (m_selectedIds == ids)
        return;
    m_selectedIds = ids;
    if (!m_chips.isEmpty())
        emit dataChanged(index(0), index(int(m_chips.size()) - 1), {SelectedRole});
}
