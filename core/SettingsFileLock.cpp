#include "SettingsFileLock.h"

#include <QDeadlineTimer>
#include <QFile>

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// A write takes milliseconds; a holder that keeps the lock longer than this is stuck.
constexpr auto waitLimit = 2s;
constexpr auto retryInterval = 5ms;

} // namespace

SettingsFileLock::SettingsFileLock(const QString& settingsPath)
{
    const QByteArray path = QFile::encodeName(settingsPath + QStringLiteral(".lock"));
    const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return;
    const QDeadlineTimer deadline(waitLimit);
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            ::close(descriptor);
            return;
        }
        std::this_thread::sleep_for(retryInterval);
    }
    m_descriptor = descriptor;
}

SettingsFileLock::~SettingsFileLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor); // closing releases the lock
}
