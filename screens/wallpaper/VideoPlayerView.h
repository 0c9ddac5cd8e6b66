#pragma once

#include "PlayerBackend.h"
#include "PlayerLayerView.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

class VideoPreviewManager;

// The picture of a preview's player, filling the item and cropped to it. It
// never takes input: clicks, hovers and wheel turns reach what lies beneath.
class VideoPlayerView : public PlayerLayerView
{
    Q_OBJECT
    Q_MOC_INCLUDE("VideoPreviewManager.h")
    QML_ELEMENT
    Q_PROPERTY(VideoPreviewManager* preview READ preview WRITE setPreview NOTIFY previewChanged)

public:
    explicit VideoPlayerView(QQuickItem* parent = nullptr);

    VideoPreviewManager* preview() const { return m_preview; }
    void setPreview(VideoPreviewManager* preview);

signals:
    void previewChanged();

private:
    void showCurrentPlayer();

    QPointer<VideoPreviewManager> m_preview;
};
