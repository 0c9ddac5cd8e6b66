#include "OffscreenFrames.h"

#include "VideoFrameSource.h"

OffscreenFrames::OffscreenFrames(std::shared_ptr<SoftwareFrameFeed> feed, QQuickWindow* window, QObject* parent)
    : QObject(parent), m_feed(std::move(feed))
{
    // Called on the drawing thread; a call still queued when this goes is dropped with it.
    m_viewer = m_feed->addViewer(
        [this] { QMetaObject::invokeMethod(this, &OffscreenFrames::frameDrawn, Qt::QueuedConnection); });
    m_feed->setViewerSize(m_viewer, window->size() * window->devicePixelRatio());
    connect(window, &QQuickWindow::frameSwapped, this, &OffscreenFrames::windowSwapped, Qt::QueuedConnection);
    // A window that is never shown must not keep the frames drawn for nothing.
    m_showDeadline.setSingleShot(true);
    m_showDeadline.setInterval(showWait);
    connect(&m_showDeadline, &QTimer::timeout, this, &OffscreenFrames::ended);
}

OffscreenFrames::~OffscreenFrames() { m_feed->removeViewer(m_viewer); }

void OffscreenFrames::whenDrawnAfter(quint64 serial, std::function<void()> done)
{
    m_after = serial;
    m_done = std::move(done);
    frameDrawn();
}

void OffscreenFrames::frameDrawn()
{
    if (m_done && m_feed->latestFrame().serial > m_after)
        fulfil();
}

void OffscreenFrames::fulfil()
{
    m_showDeadline.start();
    std::exchange(m_done, nullptr)();
}

void OffscreenFrames::windowSwapped()
{
    // Whoever hears may end this.
    const QPointer<OffscreenFrames> alive(this);
    if (m_done)
        fulfil();
    if (alive)
        emit ended();
}
