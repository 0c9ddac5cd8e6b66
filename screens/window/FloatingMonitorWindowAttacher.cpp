#include "FloatingMonitorWindowAttacher.h"

#include "FloatingMonitorWindowManager.h"

#include <QQuickWindow>

FloatingMonitorWindowAttacher::FloatingMonitorWindowAttacher(QQuickItem* parent) : QQuickItem(parent) {}

FloatingMonitorWindowAttacher::~FloatingMonitorWindowAttacher()
{
    FloatingMonitorWindowManager::shared().release(m_content);
}

void FloatingMonitorWindowAttacher::setContent(QQmlComponent* content)
{
    if (m_content == content)
        return;
    FloatingMonitorWindowManager::shared().release(m_content);
    m_content = content;
    emit contentChanged();
    attachIfShown();
}

void FloatingMonitorWindowAttacher::itemChange(ItemChange change, const ItemChangeData& data)
{
    QQuickItem::itemChange(change, data);
    if (change == ItemSceneChange)
        watch(data.window);
}

void FloatingMonitorWindowAttacher::watch(QQuickWindow* window)
{
    if (m_window)
        disconnect(m_window, nullptr, this, nullptr);
    m_window = window;
    if (window)
        connect(window, &QWindow::visibleChanged, this, &FloatingMonitorWindowAttacher::attachIfShown,
                Qt::QueuedConnection);
    attachIfShown();
}

void FloatingMonitorWindowAttacher::attachIfShown()
{
    if (m_window && m_window->isVisible() && m_content)
        FloatingMonitorWindowManager::shared().attach(m_window, m_content);
}
