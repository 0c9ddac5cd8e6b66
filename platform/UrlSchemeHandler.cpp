#include "UrlSchemeHandler.h"

#include "DesktopEntry.h"
#include "SystemCommands.h"
#include "UserHome.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString entryName = u"com.lanto.mac.desktop"_s;
const QString schemeType = u"x-scheme-handler/lanto"_s;
constexpr int handOffTimeoutMs = 5000;

} // namespace

UrlSchemeHandler::UrlSchemeHandler(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) { }

UrlSchemeHandler::~UrlSchemeHandler()
{
    if (!m_claimed)
        return;
    m_bus.unregisterObject(objectPath);
    m_bus.unregisterService(serviceName);
}

bool UrlSchemeHandler::claim()
{
    if (m_claimed)
        return true;
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = m_bus.interface()->registerService(
        serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return false;
    if (!m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots)) {
        m_bus.unregisterService(serviceName);
        return false;
    }
    m_claimed = true;
    return true;
}

bool UrlSchemeHandler::handOff(const QDBusConnection& bus, const QStringList& urls)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName, u"Open"_s);
    call << urls.mid(0, maxURLs);
    const QDBusMessage reply = QDBusConnection(bus).call(call, QDBus::Block, handOffTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void UrlSchemeHandler::Open(const QStringList& urls)
{
    QStringList taken;
    for (const QString& url : urls.mid(0, maxURLs)) {
        if (!url.isEmpty() && url.size() <= maxURLLength)
            taken.append(url);
    }
    if (!urls.isEmpty() && taken.isEmpty())
        return; // nothing usable
    if (m_delivering)
        deliver(taken);
    else if (m_held.size() < maxHeldRequests)
        m_held.append(taken);
}

void UrlSchemeHandler::startDelivering()
{
    if (m_delivering)
        return;
    m_delivering = true;
    const QList<QStringList> held = std::exchange(m_held, {});
    for (const QStringList& urls : held)
        deliver(urls);
}

void UrlSchemeHandler::deliver(const QStringList& urls)
{
    if (urls.isEmpty())
        emit reopenRequested();
    else
        emit urlsReceived(urls);
}

QString UrlSchemeHandler::entryPath() { return UserHome::dataHome() + u"/applications/"_s + entryName; }

std::optional<QString> UrlSchemeHandler::registerHandler(const QString& programPath, SystemCommands& commands)
{
    const std::optional<QString> exec = DesktopEntry::execValue(programPath, {}, { u"%u"_s });
    if (!exec)
        return u"The program path cannot be written into an application entry: %1"_s.arg(programPath);
    const QByteArray entry = (u"[Desktop Entry]\nType=Application\nName=Lanto\nExec="_s + *exec
        + u"\nTerminal=false\nCategories=Utility;\nMimeType="_s + schemeType + u";\n"_s)
                                 .toUtf8();
    // xdg-open asks mimeapps.list of the configuration folder for the handler,
    // which a moved folder or an earlier failed xdg-mime leaves without us.
    const bool isDefault
        = DesktopEntry::defaultApplication(UserHome::configHome() + u"/mimeapps.list"_s, schemeType) == entryName;
    const bool entryWritten = DesktopEntry::holds(entryPath(), entry);
    if (entryWritten && isDefault)
        return std::nullopt;
    if (!entryWritten) {
        if (std::optional<QString> failure = DesktopEntry::write(entryPath(), entry))
            return failure;
    }
    const SystemCommands::Result result
        = commands.startDetached(u"xdg-mime"_s, { u"default"_s, entryName, schemeType });
    if (!result.started)
        return u"xdg-mime could not be started: "_s + result.error;
    return std::nullopt;
}
