#include "TranscodeError.h"

extern "C" {
#include <libavutil/error.h>
}

namespace {

QString describe(TranscodeError::Kind kind, int status)
{
    switch (kind) {
    case TranscodeError::Kind::exportFailed:
        return QStringLiteral("Transcode failed (status %1)").arg(status);
    case TranscodeError::Kind::noVideoTrack:
        return QStringLiteral("No video track found in the file");
    case TranscodeError::Kind::exportSessionFailed:
        return QStringLiteral("Failed to configure transcoder");
    case TranscodeError::Kind::posterGenerationFailed:
        return QStringLiteral("Failed to generate poster image");
    }
    return {};
}

QString averrorText(int averror)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace

TranscodeError::TranscodeError(Kind kind, int status)
    : m_kind(kind), m_status(status), m_description(describe(kind, status)), m_utf8(m_description.toUtf8())
{
}

MediaError::MediaError(const QString& action, const QString& detail)
    : m_description(action + QStringLiteral(" — ") + detail), m_utf8(m_description.toUtf8())
{
}

MediaError::MediaError(const QString& action, int averror) : MediaError(action, averrorText(averror)) { }

int checkAV(int result, const char* action)
{
    if (result < 0)
        throw MediaError(QString::fromUtf8(action), result);
    return result;
}
