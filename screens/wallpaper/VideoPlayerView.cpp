#include "VideoPlayerView.h"

#include "VideoPreviewManager.h"

VideoPlayerView::VideoPlayerView(QQuickItem* parent) : PlayerLayerView(parent)
{
    // Inside cards and pages, often under a layer: never straight into the window.
    setDrawsDirectlyWhenOpaque(false);
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
    emit previewChanged();
}

void VideoPlayerView::showCurrentPlayer() { setPlayer(m_preview ? m_preview->player() : nullptr); }
