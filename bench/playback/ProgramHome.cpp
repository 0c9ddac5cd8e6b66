#include "ProgramHome.h"

#include "Displays.h"
#include "LantoSettings.h"
#include "LocalWallpaperMeta.h"
#include "ScreenModel.h"
#include "SessionTokenStore.h"
#include "SettingsKeys.h"
#include "UserHome.h"
#include "VideoRenderPath.h"
#include "VideoTranscoder.h"
#include "WallpaperFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QThread>
#include <QUrl>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

namespace {

// A dead loopback port: nothing leaves the machine.
const QString nowhere = QStringLiteral("http://127.0.0.1:9");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first process below root (itself included) whose name is name.
qint64 findDescendant(qint64 root, const QString& name)
{
    QList<qint64> queue { root };
    while (!queue.isEmpty()) {
        const qint64 pid = queue.takeFirst();
        if (QString::fromLocal8Bit(readFile(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed()) == name.left(15))
            return pid;
        for (const QString& thread :
            QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray children = readFile(QStringLiteral("/proc/%1/task/%2/children").arg(pid).arg(thread));
            for (const QByteArray& child : children.split(' ')) {
                if (!child.trimmed().isEmpty())
                    queue.append(child.trimmed().toLongLong());
            }
        }
    }
    return 0;
}

// The folder a download of the clip leaves in the library: the content file,
// the poster the import pipeline makes of its first frame, and the record.
// The content file's path; empty when the folder could not be made.
QString seedDownloadedWallpaper(const QString& clip, bool withPoster)
{
    const QString hex = QStringLiteral("b3e1c0de");
    const QDir folder(QDir(LantoSettings::downloadsDirectory()).filePath(hex));
    const QString content = folder.filePath(QStringLiteral("content.mp4"));
    const QString poster = folder.filePath(WallpaperFolder::posterFileName);
    if (!QDir().mkpath(folder.path()) || !QFile::copy(clip, content))
        return {};
    VideoTranscoder::generatePoster(content, poster).waitForFinished();
    const QSize size = QImageReader(poster).size();
    if (size.isEmpty() || (!withPoster && !QFile::remove(poster)))
        return {};
    LocalWallpaperMeta meta;
    meta.hexID = hex;
    meta.title = QStringLiteral("Bench");
    meta.category = QStringLiteral("Digital Art");
    meta.type = QStringLiteral("video");
    meta.resolutionWidth = size.width();
    meta.resolutionHeight = size.height();
    meta.fileSize = QFileInfo(content).size();
    QSaveFile record(folder.filePath(WallpaperFolder::metadataFileName));
    if (!record.open(QIODevice::WriteOnly) || record.write(meta.toJson()) < 0 || !record.commit())
        return {};
    return content;
}

} // namespace

int ProgramHome::seedProcess(const QString& home, const QString& clip, bool withPoster)
{
    UserHome::setPathForProcess(home);
    const QString content = seedDownloadedWallpaper(clip, withPoster);
    if (content.isEmpty())
        return 1;
    ScreenDisplays displays;
    ScreenModelMap models;
    for (const ConnectedDisplay& display : displays.displays()) {
        ScreenModel model(ScreenModel::serialNumber(display), display.localizedName);
        model.isShowingWallpaper = true;
        model.videoURL = QUrl::fromLocalFile(content);
        models.insert(model.id(), model);
    }
    LantoSettings& settings = LantoSettings::shared();
    ScreenModel::saveAll(models, settings);
    // Signed in with a handle: the window opens on Discover, not on the welcome.
    settings.set(SettingsKey::appleUserID, PlistValue(QStringLiteral("bench")));
    settings.set(SettingsKey::profileId, PlistValue(QStringLiteral("bench")));
    settings.set(SettingsKey::handle, PlistValue(QStringLiteral("bench")));
    settings.flush();
    return SessionTokenStore::save(QStringLiteral("bench")) && !models.isEmpty() ? 0 : 1;
}

ProgramHome::ProgramHome(
    const QString& home, const QString& display, const QString& program, const QStringList& arguments)
    : m_name(QFileInfo(program).fileName())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QString::fromLatin1(VideoRenderPath::environmentVariable), QStringLiteral("software"));
    environment.insert(QStringLiteral("LANTO_SERVICE_URL"), nowhere + QStringLiteral("/api/v1"));
    environment.insert(QStringLiteral("LANTO_AUTHORIZE_URL"), nowhere + QStringLiteral("/auth/authorize"));
    environment.insert(QStringLiteral("LANTO_UPDATE_FEED_URL"), nowhere + QStringLiteral("/appcast.xml"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_namespace.setProcessEnvironment(environment);
    m_namespace.setStandardOutputFile(QProcess::nullDevice());
    m_namespace.setStandardErrorFile(QProcess::nullDevice());
    const QString realHome = QString::fromLocal8Bit(getpwuid(getuid())->pw_dir);
    m_namespace.start(QStringLiteral("unshare"),
        QStringList { QStringLiteral("--mount"), QStringLiteral("--pid"), QStringLiteral("--fork"),
            QStringLiteral("--mount-proc"), QStringLiteral("--kill-child"), QStringLiteral("sh"), QStringLiteral("-c"),
            QStringLiteral("mount --bind \"$0\" \"$1\" && shift && exec dbus-run-session -- \"$@\""), home, realHome, program }
            + arguments);
    m_namespace.waitForStarted();
}

ProgramHome::~ProgramHome()
{
    // unshare ignores SIGTERM while it waits; the namespace's first process,
    // once killed, takes every process in the namespace with it.
    const qint64 unshare = m_namespace.processId();
    for (const QByteArray& child : readFile(QStringLiteral("/proc/%1/task/%1/children").arg(unshare)).split(' ')) {
        if (const pid_t pid = pid_t(child.trimmed().toLongLong()); pid > 0)
            ::kill(pid, SIGKILL);
    }
    if (!m_namespace.waitForFinished(5000)) {
        m_namespace.kill();
        m_namespace.waitForFinished();
    }
}

qint64 ProgramHome::pid()
{
    for (int attempt = 0; !m_pid && attempt < 50 && m_namespace.state() == QProcess::Running; ++attempt) {
        m_pid = findDescendant(m_namespace.processId(), m_name);
        if (!m_pid)
            QThread::msleep(100);
    }
    return m_pid;
}
