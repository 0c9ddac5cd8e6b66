#include "FileEventSource.h"

#include <QFile>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

uint32_t inotifyMask(FileEventSource::Events events)
{
    using Event = FileEventSource::Event;
    uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT; // always reported by the kernel's side
    if (events.testFlag(Event::Write))
        mask |= IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    return mask;
}

FileEventSource::Events eventsOf(uint32_t mask)
{
    using Event = FileEventSource::Event;
    FileEventSource::Events events;
    if (mask & (IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
        events |= Event::Write;
    if (mask & IN_DELETE_SELF)
        events |= Event::Delete;
    if (mask & IN_MOVE_SELF)
        events |= Event::Rename;
    if (mask & (IN_UNMOUNT | IN_Q_OVERFLOW))
        events |= Event::Revoke;
    return events;
}

} // namespace

FileEventSource::FileEventSource(const QString& path, Events events, QObject* parent) : QObject(parent)
{
    m_descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_descriptor < 0)
        return;
    m_watch = inotify_add_watch(m_descriptor, QFile::encodeName(path).constData(), inotifyMask(events));
    if (m_watch < 0) {
        cancel();
        return;
    }
    m_notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FileEventSource::readEvents);
}

FileEventSource::~FileEventSource() { cancel(); }

void FileEventSource::cancel()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        // It may be the sender of the signal being handled.
        std::exchange(m_notifier, nullptr)->deleteLater();
    }
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    m_watch = -1;
}

void FileEventSource::readEvents()
{
    alignas(inotify_event) char buffer[4096];
    Events events;
    for (;;) {
        const ssize_t length = ::read(m_descriptor, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            events |= eventsOf(event->mask);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (events)
        emit fired(events);
}
