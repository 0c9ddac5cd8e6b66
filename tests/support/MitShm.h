#pragma once

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

// Whether the X server of the application's connection offers MIT-SHM, asked of
// the server itself (tests link xcb for it).
inline bool serverHasMitShm()
{
    xcb_connection_t* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const char* name = "MIT-SHM";
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, uint16_t(std::strlen(name)), name), nullptr);
    const bool present = reply && reply->present;
    std::free(reply);
    return present;
}
