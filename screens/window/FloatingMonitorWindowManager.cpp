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

QQuickItem* FloatingMonitorWindowManager::makeContent(QQmlComponent* content, FloatingMonitorPanel& panel)
{
    QQmlContext* context = content->creationContext() ? content->creationContext() : qmlContext(content);
    if (!context)
        return nullptr;
    QObject* object = content->beginCreate(context);
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item) {
        content->completeCreate();
        delete object;
        return nullptr;
    }
    item->setParentItem(panel.contentItem());
    item->setParent(&panel);
    content->completeCreate();
    return item;
}

void FloatingMonitorWindowManager::attach(QWindow* parent, QQmlComponent* content)
{
    if (!parent || !content)
        return;
    if (m_panel && m_panel->attachedParent() == parent) {
        // A new view of the same window: its content replaces the old one's.
        if (m_source != content)
            takeContent(content);
        return;
    }
    detach();
    m_panel = std::make_unique<FloatingMonitorPanel>();
    if (!takeContent(content)) {
        m_panel.reset();
        return;
    }
    // Later, and only for this panel: a close and the parent's end may both report.
    // The panel is the context, so a report outliving it never reaches a newer
    // panel that happens to take its address.
    FloatingMonitorPanel* panel = m_panel.get();
    connect(panel, &FloatingMonitorPanel::parentClosed, panel, [this, panel] {
        if (m_panel.get() == panel)
            detach();
    }, Qt::QueuedConnection);
    m_panel->attach(parent);
    m_panel->setRevealed(m_visible);
    emit attachedChanged();
}

bool FloatingMonitorWindowManager::takeContent(QQmlComponent* content)
{
    QQuickItem* item = makeContent(content, *m_panel);
    if (!item)
        return false;
    if (m_content) {
        m_content->setParentItem(nullptr);
        m_content->deleteLater();
    }
    m_content = item;
    m_source = content;
    // Whatever owned the component went without saying so.
    connect(content, &QObject::destroyed, m_panel.get(), [this, content] {
        if (m_source == content)
            detach();
    });
    return true;
}

void FloatingMonitorWindowManager::release(QQmlComponent* content)
{
    if (content && content == m_source)
        detach();
}

void FloatingMonitorWindowManager::detach()
{
    if (!m_panel)
        return;
    m_panel->hide();
    m_source = nullptr;
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
