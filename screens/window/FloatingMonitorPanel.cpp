#include "FloatingMonitorPanel.h"

#include <QRegion>

#include <algorithm>

FloatingMonitorPanel::FloatingMonitorPanel()
{
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    setColor(Qt::transparent);
    resize(panelWidth, panelHeight);
    setMinimumSize(size());
    setMaximumSize(size());
    setOpacity(0);
}

QPoint FloatingMonitorPanel::placement(const QRect& frame, bool parentFullScreen)
{
    const int centred = frame.x() + frame.width() / 2 - panelWidth / 2;
    const int x = std::max(centred, frame.x() + 200);
    const int bottom = frame.y() + frame.height();
    const int y = parentFullScreen ? bottom - 20 - panelHeight : bottom - panelHeight / 2;
    return {x, y};
}

void FloatingMonitorPanel::attach(QWindow* parent)
{
    if (m_parent)
        disconnect(m_parent, nullptr, this, nullptr);
    m_parent = parent;
    if (!parent)
        return;
    setTransientParent(parent);
    for (auto signal : {&QWindow::xChanged, &QWindow::yChanged, &QWindow::widthChanged, &QWindow::heightChanged})
        connect(parent, signal, this, &FloatingMonitorPanel::place);
    // Full screen is learnt from changes after docking, as a child window would.
    connect(parent, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
        m_parentFullScreen = state == Qt::WindowFullScreen;
        place();
    });
    connect(parent, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            emit parentClosed();
    });
    connect(parent, &QObject::destroyed, this, &FloatingMonitorPanel::parentClosed);
    place();
}

void FloatingMonitorPanel::place()
{
    if (m_parent)
        setPosition(placement(m_parent->geometry(), m_parentFullScreen));
}

void FloatingMonitorPanel::setRevealed(bool revealed)
{
    m_revealed = revealed;
    setOpacity(revealed ? 1.0 : 0.0);
    setFlag(Qt::WindowTransparentForInput, !revealed);
    updateInputRegion();
    // Without a compositing manager the window system ignores opacity and
    // would show the hidden panel as a solid block: hidden, it is unmapped.
    setVisible(revealed && m_parent);
}

void FloatingMonitorPanel::setInteractiveArea(const QRectF& area)
{
    if (m_interactiveArea == area)
        return;
    m_interactiveArea = area;
    emit interactiveAreaChanged();
    updateInputRegion();
}

void FloatingMonitorPanel::updateInputRegion()
{
    // The window system's shape clips drawing as well as input, so the area
    // must hold everything the panel draws; the rest is transparent anyway.
    if (m_revealed && !m_interactiveArea.isEmpty())
        setMask(QRegion(m_interactiveArea.toAlignedRect()));
    else
        setMask(QRegion());
}
