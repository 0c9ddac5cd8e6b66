#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Follows properties of one object of a D-Bus service: reads them all once,
// then takes every change the service announces. Only announcements from the
// service's owner are taken. Without the bus or the service, nothing happens.
class DBusPropertyWatcher : public QObject
{
    Q_OBJECT

public:
    DBusPropertyWatcher(const QDBusConnection& bus, const QString& service, const QString& path,
        const QString& interface, QObject* parent = nullptr);

    // The last known value of the property; invalid when not known (yet).
    QVariant value(const QString& name) const { return m_values.value(name); }

signals:
    // The first reading has arrived, or failed (then value() knows only what
    // was announced since).
    void ready();
    // The service announced a new value.
    void changed(const QString& name, const QVariant& value);

private slots:
    void onPropertiesChanged(
        const QString& interface, const QVariantMap& changedValues, const QStringList& invalidated);
    void onFirstReading(const QDBusMessage& reply);
    void onFirstReadingFailed();

private:
    QString m_interface;
    QVariantMap m_values;
};

// A D-Bus variant's plain value, with nested variants unwrapped.
QVariant plainDBusValue(const QVariant& value);
