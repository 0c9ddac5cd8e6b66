#pragma once

#include "WebAuthSession.h"

#include <QList>
#include <QUrl>

// A browser that shows nothing and remembers each page it was asked to open.
class FakeBrowser final : public WebAuthSession
{
public:
    bool open(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};
