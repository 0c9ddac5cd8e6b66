#pragma once

#include <QList>
#include <QPointer>
#include <QQuickItem>

#include <atomic>
#include <memory>
#include <vector>

class PlayerBackend;
class QPropertyAnimation;
class VideoFrameSource;

// The video view of a desktop video player: shows the frames of one player,
// filling the view and cropping the longer side, over the display's image
// view. It never takes input, so a click reaches whatever lies beneath.
//
// Frames are drawn in the window's scene, so the view's opacity fades the video
// over the poster beneath it: through OpenGL for players that draw with it,
// painted or uploaded for players that draw in memory. Once such a view is
// opaque and fills its window, its frames go straight into the window. A
// player that draws with OpenGL in a window that renders without it cannot be
// shown: the view logs why, once, and stays empty, and the poster remains.
class PlayerLayerView : public QQuickItem
{
    Q_OBJECT

public:
    explicit PlayerLayerView(QQuickItem* parent = nullptr);
    ~PlayerLayerView() override;

    // The player whose frames the view shows; null shows nothing.
    void setPlayer(PlayerBackend* player);
    PlayerBackend* player() const { return m_player; }

    // A player that loads behind the shown one: the view gives it a video
    // output without showing its frames, so that it can start playing. It stops
    // being a standby player when it is shown or destroyed.
    void addStandbyPlayer(PlayerBackend* player);
    QList<PlayerBackend*> standbyPlayers() const;

    // Animates the opacity to 1 over the given time.
    void fadeIn(int milliseconds);
    bool isFading() const;

    bool contains(const QPointF& point) const override;

    // Whether an opaque view may draw straight into the window, which holds
    // only for a view that fills its window outside any layer. Views inside a
    // page (previews) always draw through their texture.
    void setDrawsDirectlyWhenOpaque(bool direct);

    // Rounds the picture's corners; 0 leaves them square. A rounded view never
    // draws straight into the window.
    void setCornerRadius(qreal radius);
    qreal cornerRadius() const { return m_cornerRadius; }

    // New frames drawn by the view so far: any thread.
    quint64 framesShown() const { return m_framesShown.load(); }

protected:
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;

public:
    class FrameRelay;

private:
    void fillParent();
    // Opaque, square, not fading, and filling its window: the frames may go straight into it.
    bool mayDrawDirectly() const;
    QSGNode* updateSoftwareNode(QSGNode* oldNode, const std::shared_ptr<VideoFrameSource>& shown,
        const std::vector<std::shared_ptr<VideoFrameSource>>& standby, QSize pixels);

    std::shared_ptr<FrameRelay> m_frameRelay;
    QPointer<PlayerBackend> m_player;
    QList<QPointer<PlayerBackend>> m_standbyPlayers;
    QPropertyAnimation* m_fade = nullptr;
    bool m_drawsDirectlyWhenOpaque = true;
    qreal m_cornerRadius = 0;
    // Render thread, during sync.
    bool m_reportedNoOpenGL = false;
    std::atomic<quint64> m_framesShown { 0 };
};
