#pragma once

#include "Displays.h"

// Displays made up by a test. Every change tells observers at once.
class FakeDisplays final : public Displays
{
    Q_OBJECT

public:
    using Displays::Displays;

    QList<ConnectedDisplay> displays() const override { return m_displays; }
    // The display chosen with setMainDisplay, else the first one.
    std::optional<ConnectedDisplay> mainDisplay() const override;

    // Adds a display at the end, numbered 1, 2, ... in order of creation, with
    // a UUID made from its number.
    ConnectedDisplay addDisplay(const QString& name, const QRect& frame);
    void addDisplay(const ConnectedDisplay& display);
    void removeDisplay(const QString& uuid);
    void moveDisplay(int from, int to);
    // The display loses its number, as a display without "NSScreenNumber".
    void removeNumber(const QString& uuid);
    void setFrame(const QString& uuid, const QRect& frame);
    void setMainDisplay(const QString& uuid);
    void setDisplays(const QList<ConnectedDisplay>& displays);

    // The UUID addDisplay gives the display with that number.
    static QString uuidForNumber(quint32 number);

private:
    ConnectedDisplay* find(const QString& uuid);

    QList<ConnectedDisplay> m_displays;
    QString m_mainUuid;
    quint32 m_lastNumber = 0;
};
