#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// One request to the loopback server, as far as the reply needs it.
struct HTTPRequest
{
    struct Range
    {
        qint64 start = 0;
        std::optional<qint64> end; // absent: to the end of the file
        bool operator==(const Range&) const = default;
    };

    QString method; // upper case
    QString path; // the target without its leading "/"
    std::optional<Range> range;
};

// Reads a header block (the bytes before the blank line). Nothing for a block
// that is not UTF-8, without a request line of at least two words, or with a
// path holding "..".
// Only the first "Range:" line is read, and of its "bytes=" ranges only the
// first; a suffix range ("bytes=-N") counts as no range.
std::optional<HTTPRequest> parseRequest(QByteArrayView header);
