#include "RequestHeaderBuffer.h"

namespace {

const QByteArray headerEnd("\r\n\r\n");

} // namespace

char* RequestHeaderBuffer::reserve(qsizetype size)
{
    m_bytes.resize(m_filled + size);
    return m_bytes.data() + m_filled;
}

RequestHeaderBuffer::State RequestHeaderBuffer::received(qsizetype count)
{
    const qsizetype before = m_filled;
    m_filled += count;
    m_bytes.resize(m_filled);
    if (m_end >= 0)
        return State::complete;
    // The end can straddle the previous read, so look back three bytes.
    m_end = count > 0 ? m_bytes.indexOf(headerEnd, std::max<qsizetype>(before - 3, 0)) : -1;
    if (m_end >= 0)
        return State::complete;
    return m_filled > maximumSize ? State::tooLarge : State::incomplete;
}

std::optional<HTTPRequest> RequestHeaderBuffer::takeRequest()
{
    if (m_end < 0)
        return std::nullopt;
    std::optional<HTTPRequest> request = parseRequest(QByteArrayView(m_bytes).first(m_end));
    *this = RequestHeaderBuffer();
    return request;
}
