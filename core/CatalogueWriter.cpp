#include "CatalogueWriter.h"

#include "WireBytes.h"

namespace CatalogueWriter {

void append(QByteArray& out, const APIWallpaper& record)
{
    WireBytes::appendRecord<WireBytes::cacheLayout>(out, record);
}

bool ArrayStream::add(const APIWallpaper& record)
{
    if (!m_first)
        m_buffer.append(',');
    m_first = false;
    append(m_buffer, record);
    return m_buffer.size() < flushBytes || flush();
}

bool ArrayStream::finish()
{
    m_buffer.append(']');
    return flush() && !m_failed;
}

bool ArrayStream::flush()
{
    if (!m_failed && m_device.write(m_buffer) != m_buffer.size())
        m_failed = true;
    m_buffer.resize(0);
    return !m_failed;
}

} // namespace CatalogueWriter
