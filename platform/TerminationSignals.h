#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop, as a quit would, when the process is asked to end
// (SIGTERM, SIGINT, SIGHUP: the session ending, Ctrl+C), so that the
// program's own shut-down runs instead of the process just vanishing.
// One per process, made on the main thread.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    QSocketNotifier* m_notifier = nullptr;
};
