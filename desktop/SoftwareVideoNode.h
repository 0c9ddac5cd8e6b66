#pragma once

#include "VideoFrameSource.h"

#include <QMetaObject>
#include <QSGNode>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class DirectFramePath;
class QQuickWindow;
class XShmWindowOutput;

// The render-thread side of a video view whose players draw in memory. The
// shown player's newest frame is drawn filling the view, cropped to it: with
// Qt Quick's software renderer it is painted straight into the window, and in
// a window that renders with OpenGL it is uploaded into a texture. Every
// player the view serves (the shown one and those loading behind it) gets the
// view's size, so a player swapped in has its first frame ready.
//
// Until the shown player has a frame the node keeps drawing the last one it
// had, or nothing: what lies beneath shows through, never black.
//
// Where the view may draw straight into its window, and the X server can read
// the frames in place, each new frame of the shown player goes straight to
// the window from the thread that drew it; the scene catches up with the
// newest frame whenever it renders for another reason, and direct frames wait
// while it does.
class SoftwareVideoNode : public QSGNode
{
public:
    // The node that suits the window's renderer.
    static SoftwareVideoNode* create(QQuickWindow* window);
    ~SoftwareVideoNode() override;

    // The rounding of the picture's corners, drawn from the next sync on.
    void setCornerRadius(qreal radius);

    // During the scene graph's sync. frameReady is called from any thread when
    // a served player has a new frame for the scene. framesShown counts each
    // new frame drawn. mayDrawDirectly: the view is opaque, not fading, square
    // and fills its window.
    void sync(std::shared_ptr<SoftwareFrameFeed> shown, std::vector<std::shared_ptr<SoftwareFrameFeed>> served,
        QSize pixelSize, const QRectF& rect, std::function<void()> frameReady, std::atomic<quint64>* framesShown,
        bool mayDrawDirectly);

protected:
    explicit SoftwareVideoNode(QQuickWindow* window);
    // A frame newer than the one drawn, or the one drawn again for a new size.
    virtual void showFrame(const QImage& frame, const QRectF& rect, bool isNew) = 0;
    qreal cornerRadius() const { return m_radius; }

private:
    struct Served
    {
        std::shared_ptr<SoftwareFrameFeed> feed;
        quint64 viewer = 0;
    };

    void catchUpWithDirectFrames();
    void aimDirectFrames(bool mayDrawDirectly, std::atomic<quint64>* framesShown);

    QQuickWindow* m_window;
    std::shared_ptr<DirectFramePath> m_direct;
    std::shared_ptr<XShmWindowOutput> m_output;
    bool m_outputTried = false;
    QMetaObject::Connection m_catchUp;
    QMetaObject::Connection m_holdForScene;
    QMetaObject::Connection m_releaseAfterScene;
    std::vector<Served> m_served;
    QSize m_shownSize;
    QSize m_pixelSize;
    QRectF m_rect;
    quint64 m_shownSerial = 0;
    const SoftwareFrameFeed* m_shownFeed = nullptr;
    qreal m_radius = 0;
    bool m_radiusChanged = false;
};
