#pragma once

#include "VideoFrameSource.h"

#include <memory>

class MpvCore;

// The frames of one libmpv core, drawn through its OpenGL render API.
class MpvFrameSource final : public VideoFrameSource
{
public:
    explicit MpvFrameSource(std::shared_ptr<MpvCore> core) : m_core(std::move(core)) { }

    std::unique_ptr<VideoRenderer> createRenderer(std::function<void()> frameReady, QString* error) override;

private:
    std::shared_ptr<MpvCore> m_core;
};
