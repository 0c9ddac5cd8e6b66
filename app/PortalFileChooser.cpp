#include "PortalFileChooser.h"

#include <QByteArray>
#include <QtGlobal>

#include <systemd/sd-bus.h>

namespace {

constexpr char portalName[] = "org.freedesktop.portal.Desktop";

// Asks the bus itself (never the portal, which could be slow to start)
// whether the portal is running now.
bool portalRunning()
{
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", &error, &reply, "s", portalName) >= 0)
        sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return owned != 0;
}

} // namespace

void PortalFileChooser::preferWhenRunning()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORMTHEME") || !portalRunning())
        return;
    qputenv("QT_QPA_PLATFORMTHEME", QByteArrayLiteral("xdgdesktopportal"));
}
