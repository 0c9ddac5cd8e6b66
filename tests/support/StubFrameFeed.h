#pragma once

#include "VideoFrameSource.h"

#include <QColor>
#include <QImage>

#include <map>

// A feed of frames drawn in memory whose frames the test delivers and whose
// viewers it reads.
class StubFrameFeed final : public SoftwareFrameFeed
{
public:
    quint64 addViewer(std::function<void()> frameReady) override
    {
        callbacks[++lastViewer] = std::move(frameReady);
        return lastViewer;
    }
    void setViewerSize(quint64 viewer, QSize pixels) override { sizes[viewer] = pixels; }
    void removeViewer(quint64 viewer) override
    {
        callbacks.erase(viewer);
        sizes.erase(viewer);
    }
    SoftwareFrame latestFrame() const override { return frame; }

    // A new frame of one colour, told to every viewer.
    void deliver(QColor colour)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(colour);
        frame = { image, frame.serial + 1, nullptr, {} };
        for (const auto& [viewer, callback] : callbacks)
            callback();
    }

    std::map<quint64, std::function<void()>> callbacks;
    std::map<quint64, QSize> sizes;
    quint64 lastViewer = 0;
    SoftwareFrame frame;
};
