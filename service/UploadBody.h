#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class UploadBodyReader;

// What an upload sends: bytes held in memory, or a window of a file read
// from disk as it is sent, so a large upload never sits in memory. A value:
// each attempt opens its own reader.
class UploadBody
{
public:
    static UploadBody bytes(const QByteArray& data);
    static UploadBody fileSlice(const QString& path, qint64 offset, qint64 length);

    qint64 size() const { return m_length; }

    // Nothing when the file cannot be opened, is not a regular file, or is
    // shorter than the window.
    std::optional<UploadBodyReader> open() const;

private:
    friend class UploadBodyReader;

    QByteArray m_bytes;
    QString m_path; // empty: the body is m_bytes
    qint64 m_offset = 0;
    qint64 m_length = 0;
};

// One pass over a body. Reads a file with pread, so it keeps no position in
// the descriptor, and opens it without blocking, so a named pipe cannot stall it.
class UploadBodyReader
{
public:
    UploadBodyReader(const UploadBody& body, int file) : m_body(body), m_file(file) { }
    UploadBodyReader(UploadBodyReader&& other) noexcept;
    UploadBodyReader& operator=(UploadBodyReader&&) = delete;
    ~UploadBodyReader();

    // Copies up to maximum bytes; 0 at the end, -1 when the file fails or
    // ends before the window does.
    qint64 read(char* into, qint64 maximum);

private:
    const UploadBody m_body;
    int m_file; // -1: the body's bytes
    qint64 m_position = 0;
};
