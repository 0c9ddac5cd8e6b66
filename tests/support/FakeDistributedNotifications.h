#pragma once

#include "DistributedNotifications.h"

#include <QStringList>

// Notices that stay in this process. Posts are recorded and, as on the bus,
// reach this process's observers from the event loop. A test delivers the
// other program's notices with deliver().
class FakeDistributedNotifications final : public DistributedNotifications
{
    Q_OBJECT

public:
    using DistributedNotifications::DistributedNotifications;

    void post(const QString& name) override;

    QStringList posted() const { return m_posted; }
    void clearPosted() { m_posted.clear(); }

private:
    QStringList m_posted;
};
