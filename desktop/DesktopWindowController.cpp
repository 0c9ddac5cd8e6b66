#include "DesktopWindowController.h"

#include "DesktopImageView.h"
#include "DesktopWindow.h"
#include "LantoSettings.h"
#include "Log.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QSet>

namespace {

// Other live-wallpaper programs for Linux desktops, by executable name: each
// puts its own windows at the desktop level and would fight with ours.
const QSet<QString>& competingIdentifiers()
{
    static const QSet<QString> identifiers {
        QStringLiteral("komorebi"),
        QStringLiteral("linux-wallpaperengine"),
        QStringLiteral("mpvpaper"),
        QStringLiteral("xwinwrap"),
    };
    return identifiers;
}

// One more, known by its process name: it runs under the Python interpreter,
// so its executable name is the interpreter's.
const QSet<QString>& competingNames()
{
    static const QSet<QString> names { QStringLiteral("hidamari") };
    return names;
}

bool isCompeting(const RunningApplication& application)
{
    if (!application.bundleIdentifier.isEmpty() && competingIdentifiers().contains(application.bundleIdentifier))
        return true;
    return !application.localizedName.isEmpty() && competingNames().contains(application.localizedName);
}

// "(x, y, width, height)" with every number printed as a decimal, e.g. (0.0, 0.0, 1728.0, 1117.0).
QString describeFrame(const QRect& frame)
{
    return QStringLiteral("(%1.0, %2.0, %3.0, %4.0)")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

} // namespace

DesktopWindowController::DesktopWindowController(RunningApplications& runningApplications, QObject* parent)
    : QObject(parent), m_runningApplications(runningApplications)
{
}

DesktopWindowController::~DesktopWindowController() = default;

void DesktopWindowController::createWindow(const ConnectedDisplay& display, const QString& screenId)
{
    auto window = std::make_unique<DesktopWindow>(display.frame, display.screen.data());
    window->setLevel(DesktopLevelWindow::desktopLevel);

    // The content item takes the window's size only when the window is first shown.
    auto* imageView = new DesktopImageView(window->contentItem());
    imageView->setSize(display.frame.size());
    const auto model = m_screenModels.constFind(screenId);
    if (model != m_screenModels.cend() && model->wallpaperImageURL)
        imageView->setImage(*model->wallpaperImageURL);

    // A replaced window must not linger on screen, unreferenced.
    dropWindow(screenId);
    m_windows[screenId] = std::move(window);
    m_imageViews.insert(screenId, imageView);

    Log::write(QStringLiteral("Lanto: Created window for screen %1 (%2) frame=%3")
                   .arg(screenId, display.localizedName, describeFrame(display.frame)));
}

void DesktopWindowController::dropWindow(const QString& screenId)
{
    m_imageViews.remove(screenId);
    const auto found = m_windows.find(screenId);
    if (found == m_windows.end())
        return;
    const std::unique_ptr<DesktopWindow> window = std::move(found->second);
    m_windows.erase(found);
    window->close();
}

QUrl DesktopWindowController::blackoutImageURL()
{
    // Concurrent first uses wait for this one initialisation.
    static const QUrl url = [] {
        const QString path = QDir(LantoSettings::appSupportDirectory()).filePath(QStringLiteral("Blackout.png"));
        ensureBlackoutImage(path);
        return QUrl::fromLocalFile(path);
    }();
    return url;
}

void DesktopWindowController::ensureBlackoutImage(const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    writeBlackoutImage(path);
}

void DesktopWindowController::writeBlackoutImage(const QString& path)
{
    QImage image(2, 2, QImage::Format_RGBA8888);
    if (image.isNull())
        return;
    image.fill(Qt::black);

    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return;

    // A failed write leaves no file and is not reported beyond the usual line.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(png) == png.size())
        file.commit();
    Log::write(QStringLiteral("Lanto: Wrote blackout image to ") + path);
}

QList<RunningApplication> DesktopWindowController::competingApps() const
{
    QList<RunningApplication> matches;
    for (const RunningApplication& application : m_runningApplications.runningApplications()) {
        if (isCompeting(application))
            matches.append(application);
    }
    return matches;
}

void DesktopWindowController::terminateCompetingApps()
{
    for (const RunningApplication& application : competingApps()) {
        const QString name
            = application.localizedName.isEmpty() ? QStringLiteral("unknown") : application.localizedName;
        Log::write(QStringLiteral("Lanto: Requesting termination of ") + name);
        if (!m_runningApplications.terminate(application))
            m_runningApplications.forceTerminate(application);
    }
}
