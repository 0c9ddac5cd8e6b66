#pragma once

#include <QSize>

#include <functional>
#include <map>
#include <mutex>

// The viewers of a SoftwareFrameFeed: what each asks to hear of a new frame
// and the size it shows it at. Any thread.
//
// A viewer hears of new frames until remove() returns, and not after: remove()
// waits for a round of calls under way on another thread. So what a callback
// reaches may go right after remove(), and the thread that delivers frames
// never needs to own it (nor end it, nor join itself in doing so).
class FrameViewers
{
public:
    quint64 add(std::function<void()> frameReady);
    // Whether the viewer's size changed.
    bool setSize(quint64 viewer, QSize pixels);
    void remove(quint64 viewer);

    // The largest size any viewer asks for; empty when none asks for one.
    QSize largestSize() const;
    std::size_t count() const;

    // Tells every viewer that a new frame waits: one round of calls, made
    // outside the lock that add(), setSize() and remove() take.
    void notifyAll();

private:
    struct Viewer
    {
        std::function<void()> frameReady;
        QSize size;
    };

    mutable std::mutex m_mutex;
    std::map<quint64, Viewer> m_viewers;
    quint64 m_nextViewer = 1;
    // Held through each round of calls. Recursive: a callback may remove a
    // viewer of this same feed without waiting for itself.
    std::recursive_mutex m_round;
};
