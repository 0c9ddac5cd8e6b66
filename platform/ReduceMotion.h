#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>

// Whether the desktop asks applications to reduce motion: its animations are
// switched off, as the desktop portal's settings tell (session bus). Without
// the portal or the setting it is off.
class ReduceMotion : public QObject
{
    Q_OBJECT

public:
    explicit ReduceMotion(const QDBusConnection& sessionBus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    bool isOn() const { return m_on; }

signals:
    void changed(bool on);

private slots:
    void onRead(const QDBusMessage& reply);
    void onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void setAnimationsEnabled(const QVariant& value);

    bool m_on = false;
};
