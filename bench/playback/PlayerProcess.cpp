#include "PlayerProcess.h"

#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "LantoSettings.h"
#include "Log.h"
#include "MpvPlayerBackend.h"
#include "Workspace.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

} // namespace

int runPlayerProcess(const QString& file, int displays)
{
    QTemporaryDir settingsFolder;
    LantoSettings settings(settingsFolder.path(), MainThreadScheduler::shared());
    Workspace workspace;
    MpvPlayerBackendFactory backends;

    int playing = 0;
    Log::setSink([&](const QString& line) {
        if (line.contains(QStringLiteral("STATUS → playing")) && ++playing == displays)
            QMetaObject::invokeMethod(qApp, [] { say("playing"); });
    });

    std::vector<std::unique_ptr<DesktopWindow>> windows;
    std::vector<std::unique_ptr<DesktopVideoPlayer>> players;
    for (int i = 0; i < displays; ++i) {
        const QRect frame(i * 1920, 0, 1920, 1080);
        auto window = std::make_unique<DesktopWindow>(frame, QGuiApplication::primaryScreen());
        auto* imageView = new DesktopImageView(window->contentItem());
        imageView->setSize(frame.size());
        auto player = std::make_unique<DesktopVideoPlayer>(
            DesktopVideoPlayerContext { backends, workspace, settings, MainThreadScheduler::shared() });
        player->play(QUrl::fromLocalFile(file), imageView, false, 0);
        windows.push_back(std::move(window));
        players.push_back(std::move(player));
    }

    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char buffer[64];
        const ssize_t length = read(STDIN_FILENO, buffer, sizeof buffer - 1);
        const QByteArray command = QByteArray(buffer, int(std::max<ssize_t>(length, 0))).trimmed();
        if (command == "pause") {
            for (auto& player : players)
                player->pause();
            say("paused");
        } else if (command == "frames") {
            quint64 framesShown = 0;
            for (const auto& player : players)
                framesShown += player->playerView() ? player->playerView()->framesShown() : 0;
            say(qPrintable(QStringLiteral("frames %1").arg(framesShown)));
        } else {
            for (auto& player : players)
                player->stop();
            qApp->quit();
        }
    });
    const int result = QGuiApplication::exec();
    Log::setSink({});
    return result;
}
