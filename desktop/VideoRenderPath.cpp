#include "VideoRenderPath.h"

#include "Log.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long the child process may take to tell the renderer.
constexpr int probeTimeoutMilliseconds = 5000;

QByteArray normalised(const QByteArray& forced) { return forced.trimmed().toLower(); }

bool isForced(const QByteArray& forced)
{
    return normalised(forced) == "software" || normalised(forced) == "opengl";
}

std::optional<VideoRenderPath::Choice>& decided()
{
    static std::optional<VideoRenderPath::Choice> choice;
    return choice;
}

void decide(const VideoRenderPath::Choice& choice)
{
    decided() = choice;
    Log::write(QStringLiteral("Lanto: video render path: %1 (%2)")
                   .arg(choice.path == VideoRenderPath::Path::software ? QStringLiteral("software")
                                                                       : QStringLiteral("opengl"),
                       choice.reason));
}

// The renderer of a context made with the application's platform; none when there is no OpenGL.
std::optional<QString> rendererHere()
{
    QOpenGLContext context;
    if (!context.create())
        return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    std::optional<QString> renderer = text ? std::optional(QString::fromUtf8(text)) : std::nullopt;
    context.doneCurrent();
    return renderer;
}

// Runs in the forked child: writes the renderer (or nothing) and ends without unwinding.
[[noreturn]] void probeInChild(int argc, char** argv, int output)
{
    QGuiApplication application(argc, argv);
    if (const std::optional<QString> renderer = rendererHere()) {
        const QByteArray text = "renderer " + renderer->toUtf8();
        [[maybe_unused]] const ssize_t written = write(output, text.constData(), size_t(text.size()));
    }
    _exit(0);
}

// The renderer as a child process finds it; none when it finds none or takes too long.
std::optional<QString> rendererOfChild(int argc, char** argv)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        probeInChild(argc, argv, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    QByteArray answer;
    if (child > 0) {
        pollfd readable { pipeEnds[0], POLLIN, 0 };
        char buffer[512];
        while (poll(&readable, 1, probeTimeoutMilliseconds) > 0) {
            const ssize_t length = read(pipeEnds[0], buffer, sizeof buffer);
            if (length <= 0)
                break;
            answer.append(buffer, int(length));
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    close(pipeEnds[0]);
    if (!answer.startsWith("renderer "))
        return std::nullopt;
    return QString::fromUtf8(answer.mid(9));
}

} // namespace

bool VideoRenderPath::isSoftwareRenderer(const QString& renderer)
{
    return renderer.contains(QLatin1String("llvmpipe"), Qt::CaseInsensitive)
        || renderer.contains(QLatin1String("softpipe"), Qt::CaseInsensitive)
        || renderer.contains(QLatin1String("software"), Qt::CaseInsensitive);
}

VideoRenderPath::Choice VideoRenderPath::choose(const QByteArray& forced, const std::optional<QString>& renderer)
{
    const QByteArray wanted = normalised(forced);
    if (wanted == "software")
        return { Path::software, QStringLiteral("forced by %1").arg(QLatin1String(environmentVariable)) };
    if (wanted == "opengl")
        return { Path::openGL, QStringLiteral("forced by %1").arg(QLatin1String(environmentVariable)) };
    if (!renderer)
        return { Path::software, QStringLiteral("no OpenGL") };
    if (isSoftwareRenderer(*renderer))
        return { Path::software, QStringLiteral("OpenGL renderer %1 is a software renderer").arg(*renderer) };
    return { Path::openGL, QStringLiteral("OpenGL renderer %1").arg(*renderer) };
}

VideoRenderPath::Path VideoRenderPath::current()
{
    if (!decided()) {
        const QByteArray forced = qgetenv(environmentVariable);
        if (isForced(forced))
            decide(choose(forced, std::nullopt));
        else if (!qGuiApp)
            decide({ Path::software, QStringLiteral("no window system") });
        else if (QQuickWindow::graphicsApi() == QSGRendererInterface::Software)
            // Frames drawn through OpenGL could not be shown in these windows.
            decide({ Path::software, QStringLiteral("the windows render without OpenGL") });
        else
            decide(choose(forced, rendererHere()));
    }
    return decided()->path;
}

bool VideoRenderPath::isSoftware() { return current() == Path::software; }

void VideoRenderPath::chooseBeforeApplication(int argc, char** argv)
{
    const QByteArray forced = qgetenv(environmentVariable);
    decide(choose(forced, isForced(forced) ? std::nullopt : rendererOfChild(argc, argv)));
    if (decided()->path != Path::software)
        return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Keeps the OpenGL driver, and the compiler it brings, out of this process.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}
