#include "ServiceProgram.h"

#include "LocalService.h"
#include "SampleCatalogue.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

void say(const QString& line)
{
    QTextStream out(stdout);
    out << line << Qt::endl;
}

void complain(const QString& line)
{
    QTextStream err(stderr);
    err << "lanto-service: " << line << Qt::endl;
}

} // namespace

ServiceProgram::ServiceProgram(ServiceCommandLine commandLine, QObject* parent)
    : QObject(parent), m_commandLine(std::move(commandLine))
{
}

ServiceProgram::~ServiceProgram() = default;

std::optional<int> ServiceProgram::start()
{
    if (m_commandLine.makeSamples) {
        QString error;
        if (SampleCatalogue::makeMedia(m_commandLine.mediaCache, say, &error))
            return 0;
        complain(u"cannot make the sample files: "_s + error);
        return 1;
    }
    LocalService::Options options;
    options.dataFolder = m_commandLine.dataFolder;
    options.appcastVersion = m_commandLine.appcastVersion;
    options.appcastBuild = m_commandLine.appcastBuild;
    m_service = std::make_unique<LocalService>(options);
    if (!m_service->isReady()) {
        complain(u"cannot open the database in "_s + options.dataFolder + u": "_s + m_service->errorText());
        return 1;
    }
    if (m_commandLine.reviewId)
        return review();

    QString error;
    if (m_service->catalogue().wallpaperCount() == 0 && !makeSampleFilesApart(&error)) {
        complain(u"cannot make the sample catalogue: "_s + error);
        return 1;
    }
    SampleCatalogue samples(*m_service, m_commandLine.mediaCache, say);
    if (!samples.ensure(&error)) {
        complain(u"cannot make the sample catalogue: "_s + error);
        return 1;
    }
    if (m_commandLine.records > 0 && !samples.ensureExtraRecords(m_commandLine.records)) {
        complain(u"cannot add the extra records: "_s + m_service->errorText());
        return 1;
    }
    if (m_service->listen(m_commandLine.port) == 0) {
        complain(u"cannot listen on 127.0.0.1 port "_s + QString::number(m_commandLine.port));
        return 1;
    }
    if (m_commandLine.autoReviewSeconds) {
        m_reviewTimer = new QTimer(this);
        m_reviewTimer->setInterval(std::chrono::seconds(1));
        connect(m_reviewTimer, &QTimer::timeout, this, &ServiceProgram::approveDue);
        m_reviewTimer->start();
    }
    say(u"data in "_s + options.dataFolder);
    say(u"listening on "_s + m_service->origin());
    return std::nullopt;
}

bool ServiceProgram::makeSampleFilesApart(QString* error) const
{
    if (SampleCatalogue::missingMedia(m_commandLine.mediaCache).isEmpty())
        return true;
    // The transcodes' working set (encoders, decoders, the heaps of their
    // threads) goes with the process that made them, not with the service.
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(QCoreApplication::applicationFilePath(),
        { u"--make-samples"_s, u"--media-cache"_s, m_commandLine.mediaCache });
    if (!maker.waitForFinished(-1) || maker.exitStatus() != QProcess::NormalExit || maker.exitCode() != 0) {
        *error = u"the process that makes the sample files failed: "_s + maker.errorString();
        return false;
    }
    return true;
}

int ServiceProgram::review()
{
    const Checked<QString> outcome = m_service->submissions().review(*m_commandLine.reviewId, m_commandLine.approve);
    if (!outcome) {
        complain(outcome.refusal().message);
        return 1;
    }
    say(*m_commandLine.reviewId + u' ' + outcome.value());
    return 0;
}

void ServiceProgram::approveDue()
{
    const int approved = m_service->submissions().approvePendingOlderThan(*m_commandLine.autoReviewSeconds);
    if (approved > 0)
        say(u"approved "_s + QString::number(approved) + u" submission(s)"_s);
}
