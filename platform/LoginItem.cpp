#include "LoginItem.h"

#include "DesktopEntry.h"
#include "UserHome.h"

#include <QFile>

using namespace Qt::StringLiterals;

AutostartLoginItem::AutostartLoginItem(QString identifier, QString name, QString programPath)
    : m_name(std::move(name)),
      m_programPath(std::move(programPath)),
      m_entryPath(UserHome::configHome() + u"/autostart/"_s + identifier + u".desktop"_s)
{
}

std::optional<QByteArray> AutostartLoginItem::entry() const
{
    const std::optional<QString> exec = DesktopEntry::execValue(m_programPath);
    if (!exec)
        return std::nullopt;
    return (u"[Desktop Entry]\nType=Application\nName="_s + m_name + u"\nExec="_s + *exec
        + u"\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n"_s)
        .toUtf8();
}

LoginItem::Status AutostartLoginItem::status() const
{
    const std::optional<QByteArray> expected = entry();
    return expected && DesktopEntry::holds(m_entryPath, *expected) ? Status::enabled : Status::notRegistered;
}

std::optional<QString> AutostartLoginItem::registerItem()
{
    const std::optional<QByteArray> contents = entry();
    if (!contents)
        return u"The program path cannot be written into an autostart entry: %1"_s.arg(m_programPath);
    return DesktopEntry::write(m_entryPath, *contents);
}

std::optional<QString> AutostartLoginItem::unregisterItem()
{
    QFile file(m_entryPath);
    if (!file.exists() || file.remove())
        return std::nullopt;
    return file.errorString();
}
