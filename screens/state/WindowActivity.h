#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class QQuickItem;
class QQuickWindow;

// Whether the window an item lies in is on screen, for the screens' timers,
// animations, previews and polls: "shown" while that window is visible, not
// minimised and exposed (an unmapped or fully covered window is not), and
// "moving" while it is shown and the desktop does not ask for reduced motion.
// Attached to any item: `WindowActivity.shown`. Main thread.
class WindowActivity : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Attached to items only")
    QML_ATTACHED(WindowActivity)
    Q_PROPERTY(bool shown READ isShown NOTIFY shownChanged)
    Q_PROPERTY(bool moving READ isMoving NOTIFY movingChanged)

public:
    explicit WindowActivity(QObject* attachee);

    static WindowActivity* qmlAttachedProperties(QObject* attachee);

    // Whether a window in this state counts as shown.
    static bool isShown(const QQuickWindow* window);

    bool isShown() const { return m_shown; }
    bool isMoving() const { return m_moving; }

signals:
    void shownChanged();
    void movingChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followWindow(QQuickWindow* window);
    void update();

    QPointer<QQuickItem> m_item;
    QPointer<QQuickWindow> m_window;
    QList<QMetaObject::Connection> m_windowConnections;
    bool m_shown = false;
    bool m_moving = false;
};
