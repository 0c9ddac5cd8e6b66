// The files the records point at, with single byte ranges.
#include "LocalService.h"

#include <QFileInfo>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ByteRange
{
    qint64 first = 0;
    qint64 last = 0;
};

// "bytes=a-b", "bytes=a-" or "bytes=-n" of a file of that size; nothing when
// the range cannot be met, the whole file when there is no (usable) header.
std::optional<ByteRange> rangeOf(const QByteArray& header, qint64 size, bool* partial)
{
    *partial = false;
    if (!header.startsWith("bytes=") || header.contains(','))
        return ByteRange { 0, size - 1 };
    const QByteArray range = header.mid(6).trimmed();
    const qsizetype dash = range.indexOf('-');
    if (dash < 0)
        return ByteRange { 0, size - 1 };
    bool firstOk = false, lastOk = false;
    const QByteArray firstText = range.left(dash).trimmed(), lastText = range.mid(dash + 1).trimmed();
    const qint64 first = firstText.toLongLong(&firstOk), last = lastText.toLongLong(&lastOk);
    *partial = true;
    if (firstText.isEmpty()) {
        if (!lastOk || last <= 0 || size == 0)
            return std::nullopt;
        return ByteRange { qMax<qint64>(0, size - last), size - 1 };
    }
    if (!firstOk || first < 0 || first >= size || (lastOk && last < first) || (!lastText.isEmpty() && !lastOk))
        return std::nullopt;
    return ByteRange { first, lastText.isEmpty() ? size - 1 : qMin(last, size - 1) };
}

} // namespace

bool LocalService::maySee(const ServiceRequest& r, const QString& mediaId) const
{
    // Files that belong to no wallpaper (avatars) and those of public wallpapers are anyone's.
    QSqlQuery owners = m_store->query(u"SELECT owner_id, status FROM wallpapers WHERE media_id = ?"_s, { mediaId });
    if (!owners.exec())
        return false;
    QStringList ownerIds;
    while (owners.next()) {
        if (owners.value(1).toString() == "approved"_L1)
            return true;
        ownerIds.append(owners.value(0).toString());
    }
    if (ownerIds.isEmpty())
        return true;
    // Those of drafts and of pending or rejected submissions are their owner's.
    const std::optional<QString> user = m_accounts.userForToken(r.bearerToken());
    return user && ownerIds.contains(*user);
}

std::optional<ServiceReply> LocalService::answerFile(const ServiceRequest& r)
{
    if (!r.matches("GET", { u"files"_s, u"*"_s, u"*"_s }))
        return std::nullopt;
    const QString& mediaId = r.segments[1];
    const QString& fileName = r.segments[2];
    if (!maySee(r, mediaId))
        return ServiceReply::refused(404, u"No such file"_s);
    // Only files the store knows are served; their names never come from the request alone.
    QSqlQuery known = m_store->query(
        u"SELECT content_type FROM media_files WHERE media_id = ? AND file_name = ?"_s, { mediaId, fileName });
    const QString path = m_media.filePath(mediaId, fileName);
    if (path.isEmpty() || !known.exec() || !known.next())
        return ServiceReply::refused(404, u"No such file"_s);
    const QFileInfo info(path);
    if (!info.isFile())
        return ServiceReply::refused(404, u"No such file"_s);
    const qint64 size = info.size();
    bool partial = false;
    const std::optional<ByteRange> range = rangeOf(r.header("Range"), size, &partial);
    if (!range) {
        return ServiceReply::refused(416, u"The range is outside the file"_s)
            .withHeader("Content-Range", "bytes */" + QByteArray::number(size));
    }
    ServiceReply reply;
    reply.status = partial ? 206 : 200;
    reply.headers = { { "Content-Type", known.value(0).toString().toLatin1() }, { "Accept-Ranges", "bytes" } };
    if (partial) {
        reply.headers.append({ "Content-Range",
            "bytes " + QByteArray::number(range->first) + '-' + QByteArray::number(range->last) + '/'
                + QByteArray::number(size) });
    }
    reply.file = path;
    reply.offset = range->first;
    reply.length = size == 0 ? 0 : range->last - range->first + 1;
    return reply;
}
