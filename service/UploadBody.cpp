#include "UploadBody.h"

#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

UploadBody UploadBody::bytes(const QByteArray& data)
{
    UploadBody body;
    body.m_bytes = data;
    body.m_length = data.size();
    return body;
}

UploadBody UploadBody::fileSlice(const QString& path, qint64 offset, qint64 length)
{
    UploadBody body;
    body.m_path = path;
    body.m_offset = offset;
    body.m_length = length;
    return body;
}

std::optional<UploadBodyReader> UploadBody::open() const
{
    if (m_path.isEmpty())
        return UploadBodyReader(*this, -1);
    std::optional<RegularFile> file = RegularFile::open(m_path);
    if (!file || file->size() < m_offset + m_length)
        return std::nullopt;
    return UploadBodyReader(*this, file->release());
}

UploadBodyReader::UploadBodyReader(UploadBodyReader&& other) noexcept
    : m_body(other.m_body), m_file(std::exchange(other.m_file, -1)), m_position(other.m_position)
{
}

UploadBodyReader::~UploadBodyReader()
{
    if (m_file >= 0)
        ::close(m_file);
}

qint64 UploadBodyReader::read(char* into, qint64 maximum)
{
    const qint64 count = std::min(maximum, m_body.m_length - m_position);
    if (count <= 0)
        return 0;
    if (m_file < 0) {
        std::memcpy(into, m_body.m_bytes.constData() + m_position, size_t(count));
        m_position += count;
        return count;
    }
    ssize_t got;
    do
        got = ::pread(m_file, into, size_t(count), off_t(m_body.m_offset + m_position));
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return -1; // a read error, or the file shrank under the upload
    m_position += got;
    return got;
}
