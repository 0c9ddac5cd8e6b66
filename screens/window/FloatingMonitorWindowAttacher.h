#pragma once

#include <QPointer>
#include <QQmlComponent>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// Placed invisibly in the main window's content: once it knows its window, and
// each time that window is shown again, it has the shared manager build the
// floating panel with its content for that window. The panel lives no longer
// than the attacher: a view built again (after sign-out and sign-in) gets a
// panel with its own, live content.
class FloatingMonitorWindowAttacher : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQmlComponent* content READ content WRITE setContent NOTIFY contentChanged)

public:
    explicit FloatingMonitorWindowAttacher(QQuickItem* parent = nullptr);
    // The panel made from this attacher's content goes with it.
    ~FloatingMonitorWindowAttacher() override;

    QQmlComponent* content() const { return m_content; }
    void setContent(QQmlComponent* content);

signals:
    void contentChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    void watch(QQuickWindow* window);
    void attachIfShown();

    QPointer<QQmlComponent> m_content;
    QPointer<QQuickWindow> m_window;
};
