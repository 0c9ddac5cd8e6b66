#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <memory>

class FloatingMonitorPanel;
class QJSEngine;
class QQmlComponent;
class QQmlEngine;
class QQuickItem;
class QWindow;

// The one owner of the floating display panel: builds it once per main window,
// shows or hides it, and drops it when that window closes.
class FloatingMonitorWindowManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool isAttached READ isAttached NOTIFY attachedChanged)
    Q_PROPERTY(bool isVisible READ isVisible NOTIFY visibleChanged)

public:
    static FloatingMonitorWindowManager& shared();
    static FloatingMonitorWindowManager* create(QQmlEngine*, QJSEngine*);
    ~FloatingMonitorWindowManager() override;

    // Builds the panel with the content made from the component, docked to the
    // parent. While a panel for that parent exists only a new component
    // changes anything: the panel's content is made again from it.
    Q_INVOKABLE void attach(QWindow* parent, QQmlComponent* content);
    // The view that owns the component is going: its panel goes with it, since
    // the content's bindings die with that view.
    void release(QQmlComponent* content);
    // Removes the panel; a later attach builds a new one.
    Q_INVOKABLE void detach();
    // Shows or hides the panel. Remembered, so a panel built later starts so.
    Q_INVOKABLE void setVisible(bool visible);

    bool isAttached() const { return m_panel != nullptr; }
    bool isVisible() const { return m_visible; }
    FloatingMonitorPanel* panel() const { return m_panel.get(); }

signals:
    void attachedChanged();
    void visibleChanged();

private:
    FloatingMonitorWindowManager() = default;
    // The content made from the component inside the panel; null when it cannot be made.
    static QQuickItem* makeContent(QQmlComponent* content, FloatingMonitorPanel& panel);
    // Puts the component's content into the panel in place of the old; false when it cannot be made.
    bool takeContent(QQmlComponent* content);

    std::unique_ptr<FloatingMonitorPanel> m_panel;
    QPointer<QQuickItem> m_content;
    const QQmlComponent* m_source = nullptr; // compared only, never followed
    bool m_visible = false;
};
