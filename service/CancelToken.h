#pragma once

#include <QObject>

// Asks a group of requests to stop: transfers abort, retries stop waiting.
// Used on the client's thread.
class CancelToken : public QObject
{
    Q_OBJECT

public:
    void cancel()
    {
        if (std::exchange(m_cancelled, true))
            return;
        emit cancelled();
    }
    bool isCancelled() const { return m_cancelled; }

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};
