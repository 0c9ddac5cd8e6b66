#include "Submissions.h"

#include "Catalogue.h"
#include "MediaStore.h"
#include "ServiceStore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList fileSlots { u"thumbnail"_s, u"poster"_s, u"preview"_s, u"content"_s };

// The file name a slot's file takes, from its declared type.
std::optional<QString> fileNameFor(const QString& slot, const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    if (type == "image/jpeg")
        return slot + u".jpg"_s;
    if (type == "image/png")
        return slot + u".png"_s;
    if (type == "video/quicktime")
        return slot + u".mov"_s;
    if (type == "video/mp4")
        return slot + u".mp4"_s;
    return std::nullopt;
}

Refusal notFound() { return { 404, u"No such submission"_s }; }

Refusal storeFailure() { return { 500, u"The service could not store the change"_s }; }

QString uploadKey(const QString& id, const QString& slot) { return u"wallpapers/"_s + id + u'/' + slot; }

} // namespace

Checked<SubmissionCreateResponse> Submissions::create(const QString& userId, const SubmissionCreate& s)
{
    if (s.title.trimmed().isEmpty() || s.title.size() > 200)
        return Refusal { 400, u"A title of 1 to 200 characters is needed"_s };
    if (const auto refusal = m_space.roomForDraft(userId))
        return *refusal;
    if (!Catalogue::category(s.categoryId))
        return Refusal { 400, u"Unknown category: "_s + s.categoryId };
    if (s.type != "video"_L1 && s.type != "image"_L1)
        return Refusal { 400, u"The type is \"video\" or \"image\""_s };
    if (s.resolutionWidth <= 0 || s.resolutionHeight <= 0 || s.resolutionWidth > 32768 || s.resolutionHeight > 32768
        || s.fileSize < 0)
        return Refusal { 400, u"The resolution or file size is out of range"_s };
    WallpaperEntry entry;
    entry.id = ServiceStore::randomHex(12);
    entry.ownerId = userId;
    entry.title = s.title.trimmed();
    entry.type = s.type;
    entry.category = s.categoryId;
    entry.width = s.resolutionWidth;
    entry.height = s.resolutionHeight;
    entry.fileSize = s.fileSize;
    entry.status = u"draft"_s;
    entry.mediaId = entry.id;
    if (!Catalogue(m_store).add(entry))
        return storeFailure();
    return SubmissionCreateResponse { entry.id, entry.status };
}

std::optional<Refusal> Submissions::checkDraft(const QString& userId, const QString& id) const
{
    QSqlQuery row = m_store.query(u"SELECT status FROM wallpapers WHERE id = ? AND owner_id = ?"_s, { id, userId });
    if (!row.exec() || !row.next())
        return notFound();
    if (row.value(0).toString() != "draft"_L1)
        return Refusal { 409, u"The submission was already handed in"_s };
    return std::nullopt;
}

qint64 Submissions::slotSize(const QString& id, const QString& slot) const
{
    return m_store.value(u"SELECT size FROM media_files WHERE media_id = ? AND slot = ?"_s, { id, slot })
        .value_or(0)
        .toLongLong();
}

bool Submissions::storeSlot(
    const QString& id, const QString& slot, const QString& fileName, const QString& contentType, qint64 size)
{
    QString replaced;
    const bool stored = m_store.transaction([&] {
        replaced = m_store.value(u"SELECT file_name FROM media_files WHERE media_id = ? AND slot = ?"_s, { id, slot })
                       .value_or(QVariant())
                       .toString();
        return m_store.run(u"INSERT OR REPLACE INTO media_files (media_id, slot, file_name, content_type, size) "
                           "VALUES (?, ?, ?, ?, ?)"_s,
                   { id, slot, fileName, contentType, size })
            && (slot != "content"_L1
                || m_store.run(u"UPDATE wallpapers SET file_size = ?, updated_at = ? WHERE id = ?"_s,
                    { size, ServiceStore::now(), id }));
    });
    // A file of another type took the slot: the old one is no longer anyone's.
    if (stored && !replaced.isEmpty() && replaced != fileName)
        m_media.removeFile(id, replaced);
    return stored;
}

Checked<SubmissionUploadResponse> Submissions::putFile(const QString& userId, const QString& id, const QString& slot,
    const QByteArray& contentType, const QByteArray& bytes)
{
    if (!fileSlots.contains(slot))
        return Refusal { 404, u"Unknown file slot: "_s + slot };
    if (const auto refusal = checkDraft(userId, id))
        return *refusal;
    const std::optional<QString> fileName = fileNameFor(slot, contentType);
    if (!fileName)
        return Refusal { 415, u"Unsupported content type: "_s + QString::fromLatin1(contentType) };
    if (const auto refusal = m_space.roomForBytes(userId, bytes.size(), slotSize(id, slot)))
        return *refusal;
    if (!m_media.writeFile(id, *fileName, bytes)
        || !storeSlot(id, slot, *fileName, QString::fromLatin1(contentType), bytes.size()))
        return storeFailure();
    return SubmissionUploadResponse { uploadKey(id, slot) };
}

Checked<MultipartInitResponse> Submissions::startUpload(
    const QString& userId, const QString& id, const QString& slot, const QByteArray& contentType)
{
    if (!fileSlots.contains(slot))
        return Refusal { 404, u"Unknown file slot: "_s + slot };
    if (const auto refusal = checkDraft(userId, id))
        return *refusal;
    if (!fileNameFor(slot, contentType))
        return Refusal { 415, u"Unsupported content type: "_s + QString::fromLatin1(contentType) };
    m_space.makeRoomForUpload(userId);
    const MultipartInitResponse init { ServiceStore::randomHex(16), uploadKey(id, slot) };
    const bool stored = m_store.transaction([&] {
        return m_store.run(u"INSERT INTO uploads (upload_id, wallpaper_id, slot, upload_key, content_type, touched_at) "
                           "VALUES (?, ?, ?, ?, ?, ?)"_s,
            { init.uploadId, id, slot, init.key, QString::fromLatin1(contentType), QDateTime::currentSecsSinceEpoch() });
    });
    if (!stored)
        return storeFailure();
    return init;
}

Checked<PartResponse> Submissions::putPart(const QString& userId, const QString& id, const QString& slot,
    const QString& uploadId, const QString& key, qint64 partNumber, const QByteArray& bytes)
{
    if (const auto refusal = checkDraft(userId, id))
        return *refusal;
    QSqlQuery upload = m_store.query(
        u"SELECT completed FROM uploads WHERE upload_id = ? AND wallpaper_id = ? AND slot = ? AND upload_key = ?"_s,
        { uploadId, id, slot, key });
    if (!upload.exec() || !upload.next())
        return Refusal { 404, u"No such upload; start one with multipart-init"_s };
    if (upload.value(0).toBool())
        return Refusal { 409, u"The upload is already complete"_s };
    if (partNumber < 1 || partNumber > maximumParts)
        return Refusal { 400, u"Part numbers run from 1 to "_s + QString::number(maximumParts) };
    if (bytes.isEmpty() || bytes.size() > partSize)
        return Refusal { 413, u"A part holds 1 byte to 5 MiB"_s };
    const qint64 resent = m_store
                              .value(u"SELECT size FROM upload_parts WHERE upload_id = ? AND part_number = ?"_s,
                                  { uploadId, partNumber })
                              .value_or(0)
                              .toLongLong();
    if (const auto refusal = m_space.roomForBytes(userId, bytes.size(), resent))
        return *refusal;
    const QString etag = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    const bool stored = m_media.writePart(uploadId, partNumber, bytes) && m_store.transaction([&] {
        return m_store.run(u"INSERT OR REPLACE INTO upload_parts (upload_id, part_number, size, etag) "
                           "VALUES (?, ?, ?, ?)"_s,
                   { uploadId, partNumber, bytes.size(), etag })
            && m_store.run(u"UPDATE uploads SET touched_at = ? WHERE upload_id = ?"_s,
                { QDateTime::currentSecsSinceEpoch(), uploadId });
    });
    if (!stored)
        return storeFailure();
    return PartResponse { etag };
}

Checked<CompleteResponse> Submissions::completeUpload(
    const QString& userId, const QString& id, const QString& slot, const CompleteBody& body)
{
    if (const auto refusal = checkDraft(userId, id))
        return *refusal;
    QSqlQuery upload = m_store.query(u"SELECT completed, content_type FROM uploads WHERE upload_id = ? "
                                     "AND wallpaper_id = ? AND slot = ? AND upload_key = ?"_s,
        { body.uploadId, id, slot, body.key });
    if (!upload.exec() || !upload.next())
        return Refusal { 404, u"No such upload; start one with multipart-init"_s };
    if (upload.value(0).toBool())
        return Refusal { 409, u"The upload is already complete"_s };
    const QByteArray contentType = upload.value(1).toString().toLatin1();
    if (body.parts.isEmpty())
        return Refusal { 400, u"The upload lists no parts"_s };

    QList<qint64> numbers;
    qint64 total = 0;
    for (qsizetype i = 0; i < body.parts.size(); ++i) {
        const UploadedPart& listed = body.parts[i];
        if (listed.partNumber != i + 1)
            return Refusal { 400, u"Parts must be listed once each, from 1 up; part "_s + QString::number(i + 1)
                    + u" is missing"_s };
        QSqlQuery stored = m_store.query(
            u"SELECT size, etag FROM upload_parts WHERE upload_id = ? AND part_number = ?"_s,
            { body.uploadId, listed.partNumber });
        if (!stored.exec() || !stored.next())
            return Refusal { 400, u"Part "_s + QString::number(listed.partNumber) + u" was never uploaded"_s };
        if (stored.value(1).toString() != listed.etag)
            return Refusal { 400, u"Part "_s + QString::number(listed.partNumber) + u" has another etag"_s };
        const qint64 size = stored.value(0).toLongLong();
        if (i + 1 < body.parts.size() && size != partSize)
            return Refusal { 400, u"Part "_s + QString::number(listed.partNumber) + u" is shorter than 5 MiB"_s };
        numbers.append(listed.partNumber);
        total += size;
    }
    if (const auto refusal = m_space.roomOnDisk(total))
        return *refusal;
    const QString fileName = fileNameFor(slot, contentType).value_or(slot);
    if (!m_media.assemble(body.uploadId, numbers, id, fileName))
        return storeFailure();
    const bool stored = storeSlot(id, slot, fileName, QString::fromLatin1(contentType), total)
        && m_store.transaction([&] {
               return m_store.run(u"UPDATE uploads SET completed = 1 WHERE upload_id = ?"_s, { body.uploadId })
                   && m_store.run(u"DELETE FROM upload_parts WHERE upload_id = ?"_s, { body.uploadId });
           });
    if (!stored)
        return storeFailure();
    m_media.removeUpload(body.uploadId);
    return CompleteResponse { body.key };
}

Checked<SubmissionSubmitResponse> Submissions::submit(const QString& userId, const QString& id)
{
    if (const auto refusal = checkDraft(userId, id))
        return *refusal;
    for (const QString& needed : { u"content"_s, u"poster"_s, u"thumbnail"_s }) {
        if (!m_store.value(u"SELECT 1 FROM media_files WHERE media_id = ? AND slot = ?"_s, { id, needed }))
            return Refusal { 400, u"The "_s + needed + u" file was not uploaded"_s };
    }
    const bool stored = m_store.transaction([&] {
        return m_store.run(u"UPDATE wallpapers SET status = 'pending', updated_at = ? WHERE id = ?"_s,
            { ServiceStore::now(), id });
    });
    if (!stored)
        return storeFailure();
    return SubmissionSubmitResponse { true };
}

Checked<SubmissionDeleteResponse> Submissions::remove(const QString& userId, const QString& id)
{
    QList<QString> uploads;
    bool found = false;
    const bool removed = m_store.transaction([&] {
        found = m_store.value(u"SELECT 1 FROM wallpapers WHERE id = ? AND owner_id = ?"_s, { id, userId }).has_value();
        if (!found)
            return false;
        QSqlQuery rows = m_store.query(u"SELECT upload_id FROM uploads WHERE wallpaper_id = ?"_s, { id });
        if (rows.exec()) {
            while (rows.next())
                uploads.append(rows.value(0).toString());
        }
        return m_store.run(u"DELETE FROM wallpapers WHERE id = ?"_s, { id })
            && m_store.run(u"DELETE FROM media_files WHERE media_id = ?"_s, { id });
    });
    if (!found)
        return notFound();
    if (!removed)
        return storeFailure();
    // The rows are gone first, so a file left by a crash here is never served.
    m_media.removeMedia(id);
    for (const QString& upload : uploads)
        m_media.removeUpload(upload);
    return SubmissionDeleteResponse { true };
}

Checked<QString> Submissions::review(const QString& id, bool approve)
{
    const QString status = approve ? u"approved"_s : u"rejected"_s;
    std::optional<Refusal> refusal;
    const bool decided = m_store.transaction([&] {
        const std::optional<QVariant> current = m_store.value(u"SELECT status FROM wallpapers WHERE id = ?"_s, { id });
        if (!current) {
            refusal = notFound();
            return false;
        }
        if (current->toString() != "pending"_L1) {
            refusal = Refusal { 409, u"The submission is "_s + current->toString() + u", not pending"_s };
            return false;
        }
        // An approved wallpaper is new from the moment it is public.
        if (!m_store.run(u"UPDATE wallpapers SET status = ?, updated_at = ?, created_at = "
                         "CASE WHEN ? THEN ? ELSE created_at END WHERE id = ?"_s,
                { status, ServiceStore::now(), approve, ServiceStore::now(), id })) {
            refusal = storeFailure();
            return false;
        }
        return true;
    });
    if (refusal)
        return *refusal;
    if (!decided)
        return storeFailure();
    return status;
}

int Submissions::approvePendingOlderThan(qint64 seconds)
{
    const QString before = QDateTime::currentDateTimeUtc().addSecs(-seconds).toString(Qt::ISODateWithMs);
    QSqlQuery rows = m_store.query(u"SELECT id FROM wallpapers WHERE status = 'pending' AND updated_at <= ?"_s, { before });
    QStringList due;
    if (rows.exec()) {
        while (rows.next())
            due.append(rows.value(0).toString());
    }
    int approved = 0;
    for (const QString& id : due)
        approved += review(id, true) ? 1 : 0;
    return approved;
}
