#include "ServiceCommandLine.h"

#include "SampleCatalogue.h"

#include <QCommandLineParser>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<qint64> number(const QCommandLineParser& parser, const QString& name, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

QString ServiceCommandLine::defaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/lanto-service"_s;
}

std::optional<ServiceCommandLine> ServiceCommandLine::parse(const QStringList& arguments, QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"The Lanto web service on this machine, on 127.0.0.1."_s);
    parser.addHelpOption();
    parser.addOptions({
        { u"port"_s, u"Port to listen on; 0 (the default) takes a free one."_s, u"N"_s, u"0"_s },
        { u"data"_s, u"Folder of the database and files."_s, u"DIR"_s, defaultDataFolder() },
        { u"records"_s, u"Extra catalogue records that reuse the sample files."_s, u"N"_s, u"0"_s },
        { u"auto-review"_s, u"Approve each submission this long after it is handed in."_s, u"SECONDS"_s },
        { u"appcast-version"_s, u"Version the update feed offers."_s, u"V"_s, u"0.1.0"_s },
        { u"appcast-build"_s, u"Build number the update feed offers."_s, u"B"_s, u"1"_s },
        { u"media-cache"_s, u"Folder of the made sample files, shared by data folders."_s, u"DIR"_s,
            SampleCatalogue::defaultCacheFolder() },
    });
    // The service runs itself with this to make the samples in a process of their own.
    QCommandLineOption makeSamples(u"make-samples"_s, u"Only make the sample files, then end."_s);
    makeSamples.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(makeSamples);
    parser.addPositionalArgument(u"review"_s, u"review ID approve|reject: decide a pending submission."_s);
    const QString usage = u"usage: lanto-service [--port N] [--data DIR] [--records N] [--auto-review SECONDS]\n"
                          "       lanto-service [--data DIR] review ID approve|reject"_s;
    auto refuse = [&](const QString& reason) {
        if (error)
            *error = reason + u'\n' + usage;
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(u"help"_s))
        return refuse(parser.helpText().trimmed());

    ServiceCommandLine line;
    const std::optional<qint64> port = number(parser, u"port"_s, 0, 65535);
    const std::optional<qint64> records = number(parser, u"records"_s, 0, 1'000'000);
    if (!port)
        return refuse(u"--port takes 0 to 65535"_s);
    if (!records)
        return refuse(u"--records takes 0 to 1000000"_s);
    line.port = quint16(*port);
    line.records = int(*records);
    if (parser.isSet(u"auto-review"_s)) {
        const std::optional<qint64> seconds = number(parser, u"auto-review"_s, 0, 86400 * 365);
        if (!seconds)
            return refuse(u"--auto-review takes a number of seconds"_s);
        line.autoReviewSeconds = int(*seconds);
    }
    line.dataFolder = parser.value(u"data"_s);
    line.appcastVersion = parser.value(u"appcast-version"_s);
    line.appcastBuild = parser.value(u"appcast-build"_s);
    line.mediaCache = parser.value(u"media-cache"_s);
    line.makeSamples = parser.isSet(makeSamples);

    const QStringList rest = parser.positionalArguments();
    if (!rest.isEmpty()) {
        if (rest.size() != 3 || rest[0] != "review"_L1 || (rest[2] != "approve"_L1 && rest[2] != "reject"_L1))
            return refuse(u"unexpected arguments: "_s + rest.join(u' '));
        line.reviewId = rest[1];
        line.approve = rest[2] == "approve"_L1;
    }
    return line;
}
