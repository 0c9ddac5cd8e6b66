// The public catalogue endpoints, usage events and the favourites.
#include "LocalService.h"

#include "JsonFields.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList api { u"api"_s, u"v1"_s };

// The "page" query item: absent is page 1.
Checked<qint64> pageOf(const ServiceRequest& r)
{
    const QString text = r.queryValue(u"page"_s);
    if (text.isNull())
        return qint64(1);
    bool ok = false;
    const qint64 page = text.toLongLong(&ok);
    if (!ok || page < 1 || page > 1'000'000)
        return Refusal { 400, u"The page is a whole number from 1 up"_s };
    return page;
}

std::optional<Refusal> refusalOf(Catalogue::Outcome outcome)
{
    switch (outcome) {
    case Catalogue::Outcome::done:
        return std::nullopt;
    case Catalogue::Outcome::notFound:
        return Refusal { 404, u"No such wallpaper"_s };
    case Catalogue::Outcome::storeFailed:
        break;
    }
    return Refusal { 500, u"The service could not store the change"_s };
}

ServiceReply pageReply(const QList<APIWallpaper>& wallpapers, qint64 page)
{
    return ServiceReply::ok(WallpapersResponse { wallpapers, page }.toJson());
}

} // namespace

std::optional<ServiceReply> LocalService::answerCatalogue(const ServiceRequest& r)
{
    if (r.matches("GET", api + QStringList { u"discover"_s }))
        return ServiceReply::ok(m_catalogue.discover(r.origin).toJson());
    if (r.matches("GET", api + QStringList { u"tags"_s }))
        return ServiceReply::ok(JsonFields::write(m_catalogue.tags()));
    if (r.matches("GET", api + QStringList { u"wallpapers"_s })) {
        const QString category = r.queryValue(u"category"_s);
        if (!Catalogue::category(category))
            return ServiceReply::refused(400, u"Unknown category: "_s + category);
        const Checked<qint64> page = pageOf(r);
        if (!page)
            return ServiceReply::refused(page.refusal());
        return pageReply(m_catalogue.categoryPage(category, page.value(), r.origin), page.value());
    }
    if (r.matches("GET", api + QStringList { u"wallpapers"_s, u"*"_s })) {
        if (const std::optional<APIWallpaper> wallpaper = m_catalogue.publicWallpaper(r.segments[3], r.origin))
            return ServiceReply::ok(wallpaper->toJson());
        return ServiceReply::refused(404, u"No such wallpaper"_s);
    }
    if (r.matches("GET", api + QStringList { u"profiles"_s, u"*"_s, u"wallpapers"_s })) {
        const Checked<qint64> page = pageOf(r);
        if (!page)
            return ServiceReply::refused(page.refusal());
        return pageReply(m_catalogue.creatorPage(r.segments[3], page.value(), r.origin), page.value());
    }
    if (r.matches("POST", api + QStringList { u"wallpapers"_s, u"*"_s, u"*"_s })) {
        const std::optional<Catalogue::Event> event = Catalogue::eventNamed(r.segments[4]);
        if (!event)
            return ServiceReply::refused(404, u"Unknown usage event: "_s + r.segments[4]);
        if (const std::optional<Refusal> refusal = refusalOf(m_catalogue.record(*event, r.segments[3])))
            return ServiceReply::refused(*refusal);
        return ServiceReply::ok(QJsonObject { { "recorded", true } });
    }
    const bool favorite = r.matches("POST", api + QStringList { u"me"_s, u"favorites"_s, u"*"_s });
    if (favorite || r.matches("DELETE", api + QStringList { u"me"_s, u"favorites"_s, u"*"_s })) {
        const Checked<QString> user = signedInUser(r);
        if (!user)
            return ServiceReply::refused(user.refusal());
        if (const std::optional<Refusal> refusal
            = refusalOf(m_catalogue.setFavorite(user.value(), r.segments[4], favorite)))
            return ServiceReply::refused(*refusal);
        return ServiceReply::ok(QJsonObject { { "favorited", favorite } });
    }
    return std::nullopt;
}
