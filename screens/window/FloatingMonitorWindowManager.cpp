#include "FloatingMonitorWindowManager.h"

#include "FloatingMonitorPanel.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>

FloatingMonitorWindowManager& FloatingMonitorWindowManager::shared()
{
    // Never released: the panel may outlive any one engine's view of it.
    static auto* instance = new FloatingMonitorWindowManager;
    return *instance;
}

FloatingMonitorWindowManager* FloatingMonitorWindowManager::create(QQmlEngine*, QJSEngine*)
{
    QQmlEngine::setObjectOwnership(&shared(), QQmlEngine::CppOwnership);
    return &shared();
}

FloatingMonitorWindowManager::~FloatingMonitorWindowManager() = default;

void FloatingMonitorWindowManager::attach(QWindow* parent, QQmlComponent* content)
{
    if (m_panel || !parent || !content)
        return;
    QQmlContext* context = content->creationContext() ? content->creationContext() : qmlContext(content);
    if (!context)
        return;
    QObject* object = content->beginCreate(context);
    auto panel = std::make_unique<FloatingMonitorPanel>();
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item) {
        content->completeCreate();
        delete object;
        return;
    }
    item->setParentItem(panel->contentItem());
    item->setParent(panel.get());
    content->completeCreate();
    m_content = item;

    // Later, and only for this panel: a close and the parent's end may both report.
    connect(panel.get(), &FloatingMonitorPanel::parentClosed, this, [this, closed = panel.get()] {
        if (m_panel.get() == closed)
            detach();
    }, Qt::QueuedConnection);
    panel->attach(parent);
    panel->setRevealed(m_visible);
    panel->show();
    m_panel = std::move(panel);
    emit attachedChanged();
}

void FloatingMonitorWindowManager::detach()
{
    if (!m_panel)
        return;
    m_panel->hide();
    // Deleted on a later turn: the close that led here may still be on the stack.
    m_panel.release()->deleteLater();
    emit attachedChanged();
}

void FloatingMonitorWindowManager::setVisible(bool visible)
{
    if (m_visible != visible) {
        m_visible = visible;
        emit visibleChanged();
    }
    if (m_panel)
        m_panel->setRevealed(visible);
}
