#pragma once

#include <QString>

#include <exception>

// The failures of the video pipeline that it names itself, each with the message
// the user sees. Failures of the media libraries or the file system are MediaError.
class TranscodeError : public std::exception
{
public:
    enum class Kind {
        exportFailed, // carries a status
        noVideoTrack,
        exportSessionFailed,
        posterGenerationFailed,
    };

    explicit TranscodeError(Kind kind, int status = 0);

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    Kind m_kind;
    int m_status;
    QString m_description;
    QByteArray m_utf8;
};

// A failure reported by FFmpeg or the file system, described by what was being
// done and, after an em dash, what went wrong: "Could not open the video — No such file or directory".
class MediaError : public std::exception
{
public:
    MediaError(const QString& action, const QString& detail);
    // detail from an FFmpeg error code
    MediaError(const QString& action, int averror);

    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

// Throws MediaError(action, result) when an FFmpeg call returned an error code; gives the result otherwise.
int checkAV(int result, const char* action);
