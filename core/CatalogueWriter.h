#pragma once

#include "APIWallpaper.h"

#include <QByteArray>
#include <QIODevice>

// Writes catalogue records as compact JSON without building documents: the
// bytes are the ones QJsonDocument writes for APIWallpaper::toJson() (keys
// sorted, optional fields that are absent left out, the same escapes), so a
// reader of either kind reads them the same.
namespace CatalogueWriter {

// Appends one record to out.
void append(QByteArray& out, const APIWallpaper& record);

// Streams a JSON array of records to a device in large writes.
class ArrayStream
{
public:
    explicit ArrayStream(QIODevice& device) : m_device(device) { m_buffer.reserve(flushBytes + 4096); }

    // False once a write to the device has failed.
    bool add(const APIWallpaper& record);
    // Closes the array and writes what is left; false when any write failed.
    bool finish();

private:
    bool flush();

    static constexpr qsizetype flushBytes = 1 << 20;
    QIODevice& m_device;
    QByteArray m_buffer{"["};
    bool m_first = true;
    bool m_failed = false;
};

} // namespace CatalogueWriter
