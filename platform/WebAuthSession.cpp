#include "WebAuthSession.h"

#include <QDesktopServices>

namespace {

class BrowserSession final : public WebAuthSession
{
public:
    bool open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

} // namespace

WebAuthSession& WebAuthSession::system()
{
    static BrowserSession session;
    return session;
}
