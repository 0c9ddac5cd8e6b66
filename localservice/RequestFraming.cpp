#include "RequestFraming.h"

#include <QList>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype maximumChunkLine = 1024;

// A line without its line feed and the carriage return before it.
QByteArrayView withoutEnd(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool isToken(QByteArrayView name)
{
    if (name.isEmpty())
        return false;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain && !QByteArrayView("!#$%&'*+-.^_`|~").contains(c))
            return false;
    }
    return true;
}

// Digits of that base only, at most `digits` of them; nothing else.
std::optional<qint64> numberOf(QByteArrayView text, int base, int digits)
{
    if (text.isEmpty() || text.size() > digits)
        return std::nullopt;
    for (char c : text) {
        const bool decimal = c >= '0' && c <= '9';
        const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!decimal && !(base == 16 && hex))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, base);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

qsizetype RequestFraming::feed(QByteArrayView data)
{
    const qsizetype offered = data.size();
    while (!data.isEmpty() && m_phase != Phase::refused && !m_complete) {
        if (m_phase == Phase::body)
            feedBody(data);
        else
            feedHead(data);
    }
    return offered - data.size();
}

bool RequestFraming::takeLine(QByteArrayView& data, qsizetype limit)
{
    const qsizetype end = data.indexOf('\n');
    const qsizetype taken = end < 0 ? data.size() : end + 1;
    // Never keep more than one byte past the limit: that is enough to tell.
    m_line.append(data.first(qMin(taken, qMax<qsizetype>(0, limit + 1 - m_line.size()))));
    data = data.sliced(taken);
    return end >= 0 || m_line.size() > limit;
}

void RequestFraming::feedHead(QByteArrayView& data)
{
    m_phase = Phase::head;
    const qsizetype room = m_maximumHead - m_head.size();
    if (!takeLine(data, room))
        return;
    if (m_line.size() > room)
        return refuse(431, u"The request head is too large"_s);
    const QByteArrayView line = withoutEnd(m_line);
    if (line.isEmpty() && m_head.isEmpty()) {
        // Blank lines before a request line are passed over.
        m_line.clear();
        m_phase = Phase::idle;
        return;
    }
    if (line.isEmpty()) {
        m_line.clear();
        return headComplete();
    }
    m_head.append(line.data(), line.size()).append('\n');
    m_line.clear();
}

void RequestFraming::headComplete()
{
    std::optional<qint64> length;
    bool chunked = false;
    bool expectsContinue = false;
    const QList<QByteArray> lines = m_head.split('\n');
    const QList<QByteArray> requestLine = lines.first().split(' ');
    if (requestLine.size() != 3 || !isToken(requestLine[0]) || requestLine[1].isEmpty()
        || !requestLine[2].startsWith("HTTP/"))
        return refuse(400, u"The request line is not \"METHOD target HTTP/1.1\""_s);
    if (requestLine[2] != "HTTP/1.1" && requestLine[2] != "HTTP/1.0")
        return refuse(505, u"Only HTTP/1.1 and HTTP/1.0 are spoken here"_s);
    m_request = Request { requestLine[0], requestLine[1], requestLine[2] == "HTTP/1.1" ? 1 : 0, {}, {}, true };
    QList<QByteArray> connectionOptions;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        // A folded line could be read as its own header or as part of the last one.
        if (line.startsWith(' ') || line.startsWith('\t'))
            return refuse(400, u"Folded header lines are not taken"_s);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
            return refuse(400, u"A header line is not \"Name: value\""_s);
        m_request.headers.append({ line.left(colon), line.mid(colon + 1).trimmed() });
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed().toLower();
        if (name == "connection") {
            for (const QByteArray& option : value.split(','))
                connectionOptions.append(option.trimmed());
        }
        if (name == "content-length") {
            const std::optional<qint64> declared = numberOf(value, 10, 18);
            if (!declared || (length && *length != *declared))
                return refuse(400, u"The Content-Length is not one number"_s);
            length = declared;
        } else if (name == "transfer-encoding") {
            if (value != "chunked" || chunked)
                return refuse(501, u"Only the chunked transfer coding is taken"_s);
            chunked = true;
        } else if (name == "expect") {
            expectsContinue = value == "100-continue";
        }
    }
    if (chunked && length)
        return refuse(400, u"A body is framed by Content-Length or by chunks, not both"_s);
    // HTTP/1.1 keeps the connection unless told to close; HTTP/1.0 closes unless told to keep it.
    m_request.keepAlive = m_request.minorVersion == 1 ? !connectionOptions.contains("close")
                                                      : connectionOptions.contains("keep-alive");
    if (length.value_or(0) > m_maximumBody)
        return refuse(413, u"The request body is too large"_s);
    m_head.clear();
    m_chunked = chunked;
    if (!chunked && length.value_or(0) == 0)
        return messageComplete();
    m_phase = Phase::body;
    m_body = chunked ? Body::chunkSize : Body::length;
    m_remaining = length.value_or(0);
    m_continueWanted = expectsContinue;
}

void RequestFraming::feedBody(QByteArrayView& data)
{
    m_continueWanted = false;
    switch (m_body) {
    case Body::length:
    case Body::chunkData: {
        const qint64 taken = qMin<qint64>(m_remaining, data.size());
        m_request.body.append(data.first(taken));
        m_remaining -= taken;
        m_bodySeen += taken;
        data = data.sliced(taken);
        if (m_remaining == 0) {
            if (m_body == Body::length)
                messageComplete();
            else
                m_body = Body::chunkDataEnd;
        }
        return;
    }
    case Body::chunkSize:
        if (takeLine(data, maximumChunkLine))
            chunkSizeLine();
        return;
    case Body::chunkDataEnd:
        if (!takeLine(data, 2))
            return;
        if (!withoutEnd(m_line).isEmpty())
            return refuse(400, u"A chunk does not end where its size says"_s);
        m_line.clear();
        m_body = Body::chunkSize;
        return;
    case Body::trailer:
        if (takeLine(data, m_maximumHead - m_head.size()))
            trailerLine();
        return;
    case Body::none:
        return;
    }
}

void RequestFraming::chunkSizeLine()
{
    QByteArrayView size = withoutEnd(m_line);
    if (const qsizetype extension = size.indexOf(';'); extension >= 0)
        size = size.first(extension);
    const std::optional<qint64> chunk = numberOf(size.trimmed(), 16, 15);
    m_line.clear();
    if (!chunk)
        return refuse(400, u"A chunk size is not a hexadecimal number"_s);
    if (m_bodySeen + *chunk > m_maximumBody)
        return refuse(413, u"The request body is too large"_s);
    m_remaining = *chunk;
    m_body = *chunk == 0 ? Body::trailer : Body::chunkData;
}

void RequestFraming::trailerLine()
{
    if (m_line.size() > m_maximumHead - m_head.size())
        return refuse(431, u"The request trailer is too large"_s);
    const QByteArrayView line = withoutEnd(m_line);
    m_head.append(line.data(), line.size());
    const bool last = line.isEmpty();
    m_line.clear();
    if (last)
        messageComplete();
}

void RequestFraming::messageComplete()
{
    ++m_completed;
    m_complete = std::move(m_request);
    m_request = Request();
    m_phase = Phase::idle;
    m_body = Body::none;
    m_head.clear();
    m_remaining = 0;
    m_bodySeen = 0;
    m_chunked = false;
    m_continueWanted = false;
}

void RequestFraming::refuse(int status, const QString& message)
{
    m_phase = Phase::refused;
    m_refusal = Refusal { status, message };
    m_line.clear();
    m_head.clear();
    m_request = Request();
}
