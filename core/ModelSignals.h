#pragma once

#include <QAbstractItemModel>

// Following a model that another object reads from.
namespace ModelSignals {

// Calls slot, a member of receiver or a functor, after rows came, went or were reordered.
template <typename Receiver, typename Slot>
void onRowsChanged(const QAbstractItemModel* model, const Receiver* receiver, Slot slot)
{
    QObject::connect(model, &QAbstractItemModel::rowsInserted, receiver, slot);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, receiver, slot);
    QObject::connect(model, &QAbstractItemModel::modelReset, receiver, slot);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, receiver, slot);
}

// The same, and after any row's data changed.
template <typename Receiver, typename Slot>
void onAnyChange(const QAbstractItemModel* model, const Receiver* receiver, Slot slot)
{
    onRowsChanged(model, receiver, slot);
    QObject::connect(model, &QAbstractItemModel::dataChanged, receiver, slot);
}

} // namespace ModelSignals
