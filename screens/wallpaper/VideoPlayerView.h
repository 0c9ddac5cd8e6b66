#pragma once

#include "PlayerBackend.h"
#include "PlayerLayerView.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

class VideoPreviewManager;

// The picture of a preview's player, filling the item and cropped to it. It
// never takes input: clicks, hovers and wheel turns reach what lies beneath.
// It tells its preview when its window is hidden (closed or minimised) and
// shown again, so that nothing plays where nobody can see it.
class VideoPlayerView : public PlayerLayerView
{
    Q_OBJECT
    Q_MOC_INCLUDE("VideoPreviewManager.h")
    QML_ELEMENT
    Q_PROPERTY(VideoPreviewManager* preview READ preview WRITE setPreview NOTIFY previewChanged)
    // Rounds the picture's corners, on every renderer.
    Q_PROPERTY(qreal radius READ cornerRadius WRITE setRadius NOTIFY radiusChanged)

public:
    explicit VideoPlayerView(QQuickItem* parent = nullptr);

    VideoPreviewManager* preview() const { return m_preview; }
    void setPreview(VideoPreviewManager* preview);
    void setRadius(qreal radius);

signals:
    void previewChanged();
    void radiusChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    void showCurrentPlayer();
    void followWindow(QQuickWindow* window);
    void tellWindowShown();

    QPointer<VideoPreviewManager> m_preview;
    QMetaObject::Connection m_windowVisibility;
    QPointer<QQuickWindow> m_window;
};
