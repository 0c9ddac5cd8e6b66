#include "LocalService.h"

#include <QDir>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

LocalService::LocalService(const Options& options, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_store(std::make_unique<ServiceStore>((QDir().mkpath(options.dataFolder),
          options.databaseFile.isEmpty() ? QDir(options.dataFolder).filePath(u"lanto-service.sqlite"_s)
                                         : options.databaseFile))),
      m_media(options.dataFolder),
      m_accounts(*m_store),
      m_catalogue(*m_store),
      m_submissions(*m_store, m_media, DiskFloor(options.dataFolder, options.diskSpace)),
      m_server(new LocalHttpServer([this](const ServiceRequest& request) { return answer(request); }, options.limits, this))
{
    if (!isReady())
        return;
    // Uploads abandoned for a day give their disk back, at start and every hour.
    m_submissions.space().removeAbandoned();
    m_housekeeping.setInterval(std::chrono::hours(1));
    connect(&m_housekeeping, &QTimer::timeout, this, [this] { m_submissions.space().removeAbandoned(); });
    m_housekeeping.start();
}

LocalService::~LocalService() = default;

quint16 LocalService::listen(quint16 port) { return m_server->listenOnLoopback(port); }

ServiceReply LocalService::answer(const ServiceRequest& request)
{
    for (auto route : { &LocalService::answerAccount, &LocalService::answerCatalogue,
             &LocalService::answerSubmission, &LocalService::answerPage, &LocalService::answerFile }) {
        if (std::optional<ServiceReply> reply = (this->*route)(request))
            return *reply;
    }
    return ServiceReply::refused(404, u"No such endpoint: "_s + QString::fromLatin1(request.method) + u" /"_s
            + request.segments.join(u'/'));
}

Checked<QString> LocalService::signedInUser(const ServiceRequest& request) const
{
    if (const std::optional<QString> user = m_accounts.userForToken(request.bearerToken()))
        return *user;
    return Refusal { 401, u"Not signed in, or the session has ended"_s };
}

template <typename T> Checked<T> recordFromBody(const ServiceRequest& request)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Refusal { 400, u"The body is not a JSON object"_s };
    std::optional<T> record = T::fromJson(document.object());
    if (!record)
        return Refusal { 400, u"The body lacks a field, or one has the wrong type"_s };
    return std::move(*record);
}

template Checked<SubmissionCreate> recordFromBody<SubmissionCreate>(const ServiceRequest&);
template Checked<ProfileChanges> recordFromBody<ProfileChanges>(const ServiceRequest&);
template Checked<CompleteBody> recordFromBody<CompleteBody>(const ServiceRequest&);
