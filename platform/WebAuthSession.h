#pragma once

#include <QUrl>

// Where a web sign-in page is shown: the user's default browser, whose result
// comes back later through the "lanto" URL scheme. Tests put their own in.
class WebAuthSession
{
public:
    virtual ~WebAuthSession() = default;

    // Shows the page; false when nothing could show it.
    virtual bool open(const QUrl& url) = 0;

    // The default browser.
    static WebAuthSession& system();
};
