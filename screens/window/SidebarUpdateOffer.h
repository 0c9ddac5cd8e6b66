#pragma once

#include "SparkleUpdateManager.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The sidebar's update badge: shown while the update manager knows a newer
// version, and what a tap on it does. Without a manager it never shows.
class SidebarUpdateOffer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SparkleUpdateManager* manager READ manager WRITE setManager NOTIFY changed)
    Q_PROPERTY(bool shown READ shown NOTIFY changed)
    Q_PROPERTY(QString version READ version NOTIFY changed)

public:
    // Starts with the program's installed manager, if there is one.
    explicit SidebarUpdateOffer(QObject* parent = nullptr);

    SparkleUpdateManager* manager() const { return m_manager; }
    void setManager(SparkleUpdateManager* manager);
    bool shown() const;
    QString version() const { return m_manager ? m_manager->newVersionText() : QString(); }

    // Hides the badge at once, then installs a downloaded release or checks for one.
    Q_INVOKABLE void accept();

signals:
    void changed();

private:
    QPointer<SparkleUpdateManager> m_manager;
};
