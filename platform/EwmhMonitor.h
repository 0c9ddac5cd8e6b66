#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

// What an EWMH window manager announces on the X root window: the current
// workspace (_NET_CURRENT_DESKTOP) and the active window (_NET_ACTIVE_WINDOW),
// and of the active window whether it is full screen (_NET_WM_STATE_FULLSCREEN)
// and where. Everything comes from X events on a connection of its own; nothing
// is polled. Without an X display or a window manager, nothing happens.
class EwmhMonitor : public QObject
{
    Q_OBJECT

public:
    // displayName: the X display to watch; empty for the one in $DISPLAY.
    explicit EwmhMonitor(const QString& displayName = QString(), QObject* parent = nullptr);
    ~EwmhMonitor() override;

    bool isConnected() const;
    std::optional<quint32> currentDesktop() const { return m_currentDesktop; }
    // The active window's frame in root coordinates while it is full screen; null otherwise.
    QRect fullScreenWindowFrame() const { return m_fullScreenFrame; }

signals:
    void currentDesktopChanged();
    void fullScreenWindowChanged(const QRect& frame);

private:
    class Connection;

    void readEvents();
    void handleEvent(int type, const void* event);
    void updateCurrentDesktop(bool announce);
    void followActiveWindow();
    void updateFullScreenWindow();

    std::unique_ptr<Connection> m_x;
    std::optional<quint32> m_currentDesktop;
    quint32 m_activeWindow = 0;
    QRect m_fullScreenFrame;
};
