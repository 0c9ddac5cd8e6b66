#include "FakeDisplays.h"

std::optional<ConnectedDisplay> FakeDisplays::mainDisplay() const
{
    for (const ConnectedDisplay& display : m_displays) {
        if (display.uuid == m_mainUuid)
            return display;
    }
    if (m_displays.isEmpty())
        return std::nullopt;
    return m_displays.first();
}

QString FakeDisplays::uuidForNumber(quint32 number)
{
    return QStringLiteral("00000000-0000-4000-8000-%1").arg(number, 12, 16, QLatin1Char('0')).toUpper();
}

ConnectedDisplay FakeDisplays::addDisplay(const QString& name, const QRect& frame)
{
    ConnectedDisplay display;
    display.number = ++m_lastNumber;
    display.localizedName = name;
    display.frame = frame;
    display.uuid = uuidForNumber(*display.number);
    addDisplay(display);
    return display;
}

void FakeDisplays::addDisplay(const ConnectedDisplay& display)
{
    m_displays.append(display);
    emit displaysChanged();
}

void FakeDisplays::removeDisplay(const QString& uuid)
{
    m_displays.removeIf([&uuid](const ConnectedDisplay& display) { return display.uuid == uuid; });
    emit displaysChanged();
}

void FakeDisplays::moveDisplay(int from, int to)
{
    m_displays.move(from, to);
    emit displaysChanged();
}

void FakeDisplays::removeNumber(const QString& uuid)
{
    if (ConnectedDisplay* display = find(uuid))
        display->number.reset();
    emit displaysChanged();
}

void FakeDisplays::setFrame(const QString& uuid, const QRect& frame)
{
    if (ConnectedDisplay* display = find(uuid))
        display->frame = frame;
    emit displaysChanged();
}

void FakeDisplays::setMainDisplay(const QString& uuid)
{
    m_mainUuid = uuid;
    emit displaysChanged();
}

void FakeDisplays::setDisplays(const QList<ConnectedDisplay>& displays)
{
    m_displays = displays;
    emit displaysChanged();
}

ConnectedDisplay* FakeDisplays::find(const QString& uuid)
{
    for (ConnectedDisplay& display : m_displays) {
        if (display.uuid == uuid)
            return &display;
    }
    return nullptr;
}
