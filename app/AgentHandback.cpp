#include "AgentHandback.h"

#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "Log.h"
#include "RegularFile.h"
#include "RunningApplications.h"
#include "ScreenModel.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Far more than any settings file; a larger one is not compared.
constexpr qint64 maxSettingsBytes = 64 * 1024 * 1024;

} // namespace

AgentHandback::AgentHandback(const RunningApplications& applications, DistributedNotifications& notifications,
    LantoSettings& settings, Scheduler& scheduler, QObject* parent)
    : QObject(parent),
      m_applications(applications),
      m_notifications(notifications),
      m_settings(settings),
      m_scheduler(scheduler)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &AgentHandback::settingsFolderChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &AgentHandback::settingsFolderChanged);
}

AgentHandback::~AgentHandback()
{
    if (m_deadline)
        m_deadline->cancel();
}

void AgentHandback::start()
{
    if (!isAgentRunning() || !showsVideo()) {
        finish();
        return;
    }
    const QString path = m_settings.filePath();
    m_before = settingsFile();
    // The agent replaces the file by a rename: the folder tells of that, the file of writes in place.
    m_watcher.addPath(QFileInfo(path).absolutePath());
    if (QFile::exists(path))
        m_watcher.addPath(path);
    m_deadline = m_scheduler.after(timeout, [this] {
        Log::write(u"Lanto: LantoAgent did not hand the desktop back within %1 s"_s.arg(timeout.count()));
        finish();
    });
    m_asked = true;
    m_notifications.post(DistributedNotificationNames::appLaunched);
}

bool AgentHandback::isAgentRunning() const { return m_applications.isRunning(BundleIdentifiers::lantoAgent); }

bool AgentHandback::showsVideo() const
{
    const ScreenModelMap models = ScreenModel::loadAll(m_settings);
    return std::any_of(models.cbegin(), models.cend(),
        [](const ScreenModel& model) { return model.isShowingWallpaper && model.videoURL; });
}

QByteArray AgentHandback::settingsFile() const
{
    return RegularFile::readAll(m_settings.filePath(), maxSettingsBytes).value_or(QByteArray());
}

void AgentHandback::settingsFolderChanged()
{
    if (m_finished)
        return;
    const QByteArray now = settingsFile();
    // A partly written file is never seen: the agent writes a temporary file and renames it.
    if (now.isEmpty() || now == m_before)
        return;
    Log::write(u"Lanto: LantoAgent handed the desktop back"_s);
    finish();
}

void AgentHandback::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_deadline)
        m_deadline->cancel();
    const bool asked = !m_watcher.directories().isEmpty();
    if (asked) {
        m_watcher.removePaths(m_watcher.directories() + m_watcher.files());
        // Whatever the agent managed to write, also in the last moment, counts.
        const QByteArray now = settingsFile();
        if (!now.isEmpty() && now != m_before)
            m_settings.reload();
    }
    emit finished();
}
