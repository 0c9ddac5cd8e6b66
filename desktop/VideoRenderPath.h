#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// How video frames reach the screen. Where OpenGL runs on the graphics card,
// libmpv draws through it, with hardware decoding. Where it is a software
// renderer (or missing), drawing through it costs more than decoding, so libmpv
// draws into memory and the windows show those frames without OpenGL.
//
// The choice is made once per process and logged once, with its reason.
// LANTO_VIDEO_RENDER_PATH=software|opengl forces it, for tests and comparisons.
namespace VideoRenderPath {

enum class Path { openGL, software };

struct Choice
{
    Path path = Path::software;
    QString reason;
};

inline constexpr const char* environmentVariable = "LANTO_VIDEO_RENDER_PATH";

// Whether an OpenGL renderer string names one of Mesa's software rasterisers.
bool isSoftwareRenderer(const QString& renderer);

// The choice for a forced value (the environment variable, empty when unset)
// and the OpenGL renderer string (none: no OpenGL context could be made).
Choice choose(const QByteArray& forced, const std::optional<QString>& renderer);

// The process's choice, made on first use: from the environment variable, or
// from the renderer of a context made on the spot. Needs the application
// object. Main thread.
Path current();
bool isSoftware();

// For a program whose windows only show wallpapers: decides before the
// application object exists, asking a short-lived child process for the
// OpenGL renderer so that no OpenGL driver is ever loaded here. On the software
// path Qt Quick then renders with its software scene graph and the window
// system's OpenGL integration stays off. Call first thing in main().
void chooseBeforeApplication(int argc, char** argv);

} // namespace VideoRenderPath
