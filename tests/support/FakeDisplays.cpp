#include "FakeDisplays.h"

std::optional<Display> FakeDisplays::mainDisplay() const
{
    for (const Display& display : m_displays) {
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

Display FakeDisplays::addDisplay(const QString& name, const QRect& frame)
{
    Display display;
    display.number = ++m_lastNumber;
    display.localizedName = name;
    display.frame = frame;
    display.uuid = uuidForNumber(*display.number);
    addDisplay(display);
    return display;
}

void FakeDisplays::addDisplay(const Display& display)
{
    m_displays.append(display);
    emit displaysChanged();
}

void FakeDisplays::removeDisplay(const QString& uuid)
{
    m_displays.removeIf([&uuid](const Display& display) { return display.uuid == uuid; });
    emit displaysChanged();
}

void FakeDisplays::moveDisplay(int from, int to)
{
    m_displays.move(from, to);
    emit displaysChanged();
}

void FakeDisplays::removeNumber(const QString& uuid)
{
    if (Display* display = find(uuid))
        display->number.reset();
    emit displaysChanged();
}

void FakeDisplays::setFrame(const QString& uuid, const QRect& frame)
{
    if (Display* display = find(uuid))
        display->frame = frame;
    emit displaysChanged();
}

void FakeDisplays::setMainDisplay(const QString& uuid)
{
    m_mainUuid = uuid;
    emit displaysChanged();
}

void FakeDisplays::setDisplays(const QList<Display>& displays)
{
    m_displays = displays;
    emit displaysChanged();
}

Display* FakeDisplays::find(const QString& uuid)
{
    for (Display& display : m_displays) {
        if (display.uuid == uuid)
            return &display;
    }
    return nullptr;
}
