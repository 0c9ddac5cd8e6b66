#pragma once

#include <QFlags>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Reports changes to one file or folder, from the kernel's inotify: the
// watched object itself, not the path, so a file replaced by a rename is no
// longer watched (the source reports the rename and goes quiet).
class FileEventSource final : public QObject
{
    Q_OBJECT

public:
    enum class Event {
        Write = 0x1, // a file's contents, or a folder's entries, changed
        Delete = 0x2, // the object was deleted
        Rename = 0x4, // the object was moved or renamed
        Revoke = 0x8, // the object can no longer be watched (its file system went away)
    };
    Q_DECLARE_FLAGS(Events, Event)

    // Watches the path for the events; isValid() tells whether it could.
    FileEventSource(const QString& path, Events events, QObject* parent = nullptr);
    ~FileEventSource() override;

    bool isValid() const { return m_descriptor >= 0 && m_watch >= 0; }
    // Stops watching; no signal comes after it.
    void cancel();

signals:
    void fired(FileEventSource::Events events);

private:
    void readEvents();

    int m_descriptor = -1;
    int m_watch = -1;
    QSocketNotifier* m_notifier = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FileEventSource::Events)
