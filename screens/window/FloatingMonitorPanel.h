#pragma once

#include <QPointer>
#include <QQuickWindow>
#include <QRectF>
#include <QtQml/qqmlregistration.h>

// The borderless, transparent 600 x 200 panel that hangs at the bottom edge of
// the main window. It is a transient tool window of the main window, so the
// window manager keeps it above that window (not above other programs), and it
// follows the window's frame and full-screen state itself. Only its interactive
// area takes the pointer; clicks elsewhere go to what lies below.
class FloatingMonitorPanel : public QQuickWindow
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The panel is made by FloatingMonitorWindowManager")
    Q_PROPERTY(QRectF interactiveArea READ interactiveArea WRITE setInteractiveArea NOTIFY interactiveAreaChanged)

public:
    static constexpr int panelWidth = 600;
    static constexpr int panelHeight = 200;

    FloatingMonitorPanel();

    // Where the panel's top-left corner goes for a parent frame (y grows downwards):
    // centred under the parent, never less than 200 from its left edge, straddling
    // its bottom edge, or 20 inside it while the parent is in full screen.
    static QPoint placement(const QRect& parentFrame, bool parentFullScreen);

    // Docks the panel to the parent and places it.
    void attach(QWindow* parent);
    QWindow* attachedParent() const { return m_parent; }
    bool isParentFullScreen() const { return m_parentFullScreen; }

    // Shown (opaque, taking the pointer in its interactive area) or unmapped,
    // leaving no pixels and letting every click through. It keeps its place
    // and content while hidden.
    void setRevealed(bool revealed);
    bool isRevealed() const { return m_revealed; }

    QRectF interactiveArea() const { return m_interactiveArea; }
    void setInteractiveArea(const QRectF& area);

signals:
    void interactiveAreaChanged();
    // The parent went away or was closed.
    void parentClosed();

private:
    void place();
    void updateInputRegion();

    QPointer<QWindow> m_parent;
    bool m_parentFullScreen = false;
    bool m_revealed = false;
    QRectF m_interactiveArea;
};
