#pragma once

#include "FakeWebService.h"
#include "LibraryFakes.h"

#include <QJsonArray>
#include <QJsonObject>

// A page of a profile's wallpapers as the service sends it, numbered from first.
inline FakeReply profilePage(int first, int count, qint64 page = 1)
{
    QJsonArray wallpapers;
    for (int n = first; n < first + count; ++n)
        wallpapers.append(catalogueRecord(hexId(n)).toJson());
    return FakeReply::ok(QJsonObject { { "wallpapers", wallpapers }, { "page", page } });
}

// Answers every page of a profile from a list of page sizes; later pages are empty.
inline void servePages(FakeWebService& web, const QString& profileId, const QList<int>& sizes)
{
    web.on("GET", "profiles/" + profileId + "/wallpapers", [sizes](const FakeRequest& request) {
        const int page = request.queryValue("page").toInt();
        int first = 1;
        for (int i = 0; i + 1 < page && i < sizes.size(); ++i)
            first += sizes.at(i);
        return profilePage(first, page <= sizes.size() ? sizes.at(page - 1) : 0, page);
    });
}
