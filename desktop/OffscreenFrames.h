#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QTimer>

#include <functional>
#include <memory>

class SoftwareFrameFeed;

// Keeps a player's frames drawn at its window's size while the window is off
// screen, held back while another program still shows the desktop. Shown, the
// window then starts on a frame drawn when it fell due, with the scaler and
// the buffers at that size ready, instead of drawing its first frames late.
// Main thread.
class OffscreenFrames : public QObject
{
    Q_OBJECT

public:
    OffscreenFrames(std::shared_ptr<SoftwareFrameFeed> feed, QQuickWindow* window, QObject* parent = nullptr);
    ~OffscreenFrames() override;

    // Runs done once the feed has drawn a frame newer than serial, or once the
    // window, shown meanwhile, draws; replaces an earlier wish.
    void whenDrawnAfter(quint64 serial, std::function<void()> done);
    bool isWaiting() const { return bool(m_done); }

    // How long after the wish came true the window may take to draw.
    static constexpr auto showWait = std::chrono::seconds(2);

signals:
    // The window drew a frame of its own, or it was not shown within showWait
    // after the wish came true: nothing is needed any more.
    void ended();

private:
    void frameDrawn();
    void windowSwapped();
    void fulfil();

    std::shared_ptr<SoftwareFrameFeed> m_feed;
    quint64 m_viewer = 0;
    quint64 m_after = 0;
    std::function<void()> m_done;
    QTimer m_showDeadline;
};
