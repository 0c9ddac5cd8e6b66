#include "FakeDistributedNotifications.h"

void FakeDistributedNotifications::post(const QString& name)
{
    m_posted.append(name);
    QMetaObject::invokeMethod(
        this, [this, name] { deliver(name); }, Qt::QueuedConnection);
}
