#include "VideoPlayerView.h"

#include "VideoPreviewManager.h"

#include <QQuickWindow>

VideoPlayerView::VideoPlayerView(QQuickItem* parent) : PlayerLayerView(parent)
{
    // Inside cards and pages, often under a layer: never straight into the window.
    setDrawsDirectlyWhenOpaque(false);
    // A parent given here put the view in its window before this class could hear of it.
    followWindow(window());
}

void VideoPlayerView::setPreview(VideoPreviewManager* preview)
{
    if (m_preview == preview)
        return;
    if (m_preview)
        m_preview->disconnect(this);
    m_preview = preview;
    if (preview)
        connect(preview, &VideoPreviewManager::playerChanged, this, &VideoPlayerView::showCurrentPlayer);
    showCurrentPlayer();
    tellWindowShown();
    emit previewChanged();
}

void VideoPlayerView::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, cornerRadius()))
        return;
    setCornerRadius(radius);
    emit radiusChanged();
}

void VideoPlayerView::itemChange(ItemChange change, const ItemChangeData& value)
{
    PlayerLayerView::itemChange(change, value);
    if (change == ItemSceneChange)
        followWindow(value.window);
}

void VideoPlayerView::followWindow(QQuickWindow* window)
{
    disconnect(m_windowVisibility);
    m_window = window;
    if (window)
        m_windowVisibility = connect(window, &QWindow::visibilityChanged, this, &VideoPlayerView::tellWindowShown);
    tellWindowShown();
}

void VideoPlayerView::tellWindowShown()
{
    if (!m_preview || !m_window)
        return;
    const QWindow::Visibility visibility = m_window->visibility();
    m_preview->setWindowShown(visibility != QWindow::Hidden && visibility != QWindow::Minimized);
}

void VideoPlayerView::showCurrentPlayer() { setPlayer(m_preview ? m_preview->player() : nullptr); }
