#pragma once

#include "HTTPRequest.h"

#include <QByteArray>

#include <optional>

// The bytes of one request's header as they arrive, up to the blank line that
// ends it. Knows nothing of sockets: the connection reads into the room it
// reserves.
class RequestHeaderBuffer
{
public:
    enum class State { incomplete, complete, tooLarge };

    // Most header bytes kept before the request is refused.
    static constexpr qsizetype maximumSize = 64 * 1024;

    // Room for up to size more bytes at the end; received() tells how many were put there.
    char* reserve(qsizetype size);
    // Takes count of the reserved bytes: complete once the blank line has come,
    // tooLarge when more than maximumSize bytes have come without it.
    State received(qsizetype count);

    // Once complete: the request, or nothing for a header that is not UTF-8 or
    // no request. Whatever followed the blank line is dropped, and so is the buffer.
    std::optional<HTTPRequest> takeRequest();

private:
    QByteArray m_bytes;
    qsizetype m_filled = 0;
    qsizetype m_end = -1; // where the blank line starts, once found
};
