#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

// The clock of slow ambient motion: an angle that goes once round every period
// while running, stepped a few times a second (a turn this slow needs no more,
// and every step redraws the window). Stopped, it keeps its angle and goes on
// from there when it runs again. Main thread.
class AmbientTurn : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool running READ isRunning WRITE setRunning NOTIFY runningChanged)
    // Milliseconds per whole turn.
    Q_PROPERTY(int period READ period WRITE setPeriod NOTIFY periodChanged)
    Q_PROPERTY(int framesPerSecond READ framesPerSecond WRITE setFramesPerSecond NOTIFY framesPerSecondChanged)
    // Degrees, 0 up to 360.
    Q_PROPERTY(qreal angle READ angle NOTIFY angleChanged)

public:
    explicit AmbientTurn(QObject* parent = nullptr);

    bool isRunning() const { return m_timer.isActive(); }
    void setRunning(bool running);
    int period() const { return m_period; }
    void setPeriod(int milliseconds);
    int framesPerSecond() const { return m_framesPerSecond; }
    void setFramesPerSecond(int frames);
    qreal angle() const { return m_angle; }

signals:
    void runningChanged();
    void periodChanged();
    void framesPerSecondChanged();
    void angleChanged();

private:
    void step();
    qint64 elapsed() const;

    QTimer m_timer;
    QElapsedTimer m_sinceStart;
    // Time turned before the current run.
    qint64 m_turnedBefore = 0;
    int m_period = 16667;
    int m_framesPerSecond;
    qreal m_angle = 0;
};
