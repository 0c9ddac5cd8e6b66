#include "FileSlice.h"

FileSlice::FileSlice(const QString& path, qint64 offset, qint64 length)
    : m_file(path), m_offset(offset), m_length(length)
{
}

bool FileSlice::open(OpenMode mode)
{
    if (mode != ReadOnly || !m_file.open(QIODevice::ReadOnly) || m_file.size() < m_offset + m_length
        || !m_file.seek(m_offset)) {
        m_file.close();
        return false;
    }
    return QIODevice::open(mode | Unbuffered);
}

void FileSlice::close()
{
    QIODevice::close();
    m_file.close();
}

bool FileSlice::seek(qint64 position)
{
    if (position < 0 || position > m_length || !m_file.seek(m_offset + position))
        return false;
    return QIODevice::seek(position);
}

qint64 FileSlice::readData(char* data, qint64 maxSize)
{
    const qint64 left = m_length - (m_file.pos() - m_offset);
    if (left <= 0)
        return -1;
    return m_file.read(data, qMin(maxSize, left));
}
