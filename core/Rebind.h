#pragma once

#include <QObject>
#include <QPointer>

// Points a view-model's input at another object: the old one's connections to
// the receiver are dropped and connectNew wires the new one. False when unchanged.
template <typename T, typename Connect>
bool rebind(QPointer<T>& field, T* value, QObject* receiver, Connect connectNew)
{
    if (field == value)
        return false;
    if (field)
        QObject::disconnect(field, nullptr, receiver, nullptr);
    field = value;
    if (value)
        connectNew(value);
    return true;
}
