#include "MpvFrameSource.h"

#include "MpvCore.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <qopengl.h>

#include <mpv/render_gl.h>

namespace {

void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// Draws one core with the render context made for the current OpenGL context.
class MpvVideoRenderer final : public VideoRenderer
{
public:
    MpvVideoRenderer(std::shared_ptr<MpvCore> core, mpv_render_context* context, std::function<void()> frameReady)
        : m_core(std::move(core)), m_context(context), m_frameReady(std::move(frameReady))
    {
        mpv_render_context_set_update_callback(
            m_context, [](void* self) { static_cast<MpvVideoRenderer*>(self)->m_frameReady(); }, this);
    }

    ~MpvVideoRenderer() override
    {
        mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
        // Before the core can end: libmpv requires it.
        mpv_render_context_free(m_context);
    }

    bool hasNewFrame() override { return mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME; }

    void render(unsigned fbo, QSize size, bool upsideDown) override
    {
        mpv_opengl_fbo target { int(fbo), size.width(), size.height(), fbo ? GL_RGBA8 : 0 };
        int flipY = upsideDown ? 1 : 0;
        int block = 0;
        mpv_render_param params[] = {
            { MPV_RENDER_PARAM_OPENGL_FBO, &target },
            { MPV_RENDER_PARAM_FLIP_Y, &flipY },
            { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block },
            { MPV_RENDER_PARAM_INVALID, nullptr },
        };
        mpv_render_context_render(m_context, params);
    }

    void skipFrame() override
    {
        int skip = 1;
        int block = 0;
        mpv_render_param params[] = {
            { MPV_RENDER_PARAM_SKIP_RENDERING, &skip },
            { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block },
            { MPV_RENDER_PARAM_INVALID, nullptr },
        };
        mpv_render_context_render(m_context, params);
    }

private:
    std::shared_ptr<MpvCore> m_core;
    mpv_render_context* m_context;
    std::function<void()> m_frameReady;
};

} // namespace

std::unique_ptr<VideoRenderer> MpvFrameSource::createRenderer(std::function<void()> frameReady, QString* error)
{
    if (!QOpenGLContext::currentContext()) {
        *error = QStringLiteral("no current OpenGL context");
        return nullptr;
    }
    mpv_opengl_init_params glInit { &procAddress, nullptr };
    const char* api = MPV_RENDER_API_TYPE_OPENGL;
    int advancedControl = 0;
    std::vector<mpv_render_param> params {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(api) },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit },
        { MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl },
    };
    // Hardware decoders hand frames over through the X display where there is one.
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        params.push_back({ MPV_RENDER_PARAM_X11_DISPLAY, x11->display() });
    params.push_back({ MPV_RENDER_PARAM_INVALID, nullptr });

    mpv_render_context* context = nullptr;
    if (const int result = mpv_render_context_create(&context, m_core->handle(), params.data()); result < 0) {
        *error = QString::fromUtf8(mpv_error_string(result));
        return nullptr;
    }
    m_core->reportVideoOutputReady();
    return std::make_unique<MpvVideoRenderer>(m_core, context, std::move(frameReady));
}
