// The signed-in user's submissions: create, list, file uploads, submit, delete.
#include "LocalService.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList mine { u"api"_s, u"v1"_s, u"me"_s, u"wallpapers"_s };

QStringList below(const QStringList& tail) { return mine + tail; }

} // namespace

std::optional<ServiceReply> LocalService::answerSubmission(const ServiceRequest& r)
{
    if (r.segments.size() < 4 || r.segments.mid(0, 4) != mine)
        return std::nullopt;
    const Checked<QString> user = signedInUser(r);
    if (!user)
        return ServiceReply::refused(user.refusal());
    const QString& userId = user.value();

    if (r.matches("GET", mine))
        return ServiceReply::ok(MyWallpapersResponse { m_catalogue.ownedBy(userId, r.origin) }.toJson());
    if (r.matches("POST", mine)) {
        const Checked<SubmissionCreate> body = recordFromBody<SubmissionCreate>(r);
        if (!body)
            return ServiceReply::refused(body.refusal());
        return replyWith(m_submissions.create(userId, body.value()));
    }
    if (r.matches("DELETE", below({ u"*"_s })))
        return replyWith(m_submissions.remove(userId, r.segments[4]));
    if (r.matches("POST", below({ u"*"_s, u"submit"_s })))
        return replyWith(m_submissions.submit(userId, r.segments[4]));

    const QStringList files { u"*"_s, u"files"_s, u"*"_s };
    if (r.segments.size() < 7 || r.segments[5] != "files"_L1)
        return std::nullopt;
    const QString& id = r.segments[4];
    const QString& slot = r.segments[6];
    const QByteArray contentType = r.header("Content-Type");
    if (r.matches("PUT", below(files)))
        return replyWith(m_submissions.putFile(userId, id, slot, contentType, r.body));
    if (r.matches("POST", below(files + QStringList { u"multipart-init"_s })))
        return replyWith(m_submissions.startUpload(userId, id, slot, contentType));
    if (r.matches("PUT", below(files + QStringList { u"multipart-part"_s }))) {
        bool numbered = false;
        const qint64 partNumber = r.queryValue(u"partNumber"_s).toLongLong(&numbered);
        if (!numbered)
            return ServiceReply::refused(400, u"The query item \"partNumber\" is missing or not a number"_s);
        return replyWith(m_submissions.putPart(
            userId, id, slot, r.queryValue(u"uploadId"_s), r.queryValue(u"key"_s), partNumber, r.body));
    }
    if (r.matches("POST", below(files + QStringList { u"multipart-complete"_s }))) {
        const Checked<CompleteBody> body = recordFromBody<CompleteBody>(r);
        if (!body)
            return ServiceReply::refused(body.refusal());
        return replyWith(m_submissions.completeUpload(userId, id, slot, body.value()));
    }
    return std::nullopt;
}
