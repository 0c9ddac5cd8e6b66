#include "SubmissionSpace.h"

#include "MediaStore.h"
#include "ServiceStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString openUploadsOf = u"SELECT u.upload_id FROM uploads u JOIN wallpapers w ON w.id = u.wallpaper_id "
                              "WHERE w.owner_id = ? AND u.completed = 0 ORDER BY u.touched_at, u.rowid"_s;

QStringList column(QSqlQuery rows)
{
    QStringList values;
    if (rows.exec()) {
        while (rows.next())
            values.append(rows.value(0).toString());
    }
    return values;
}

} // namespace

std::optional<Refusal> SubmissionSpace::roomForDraft(const QString& userId) const
{
    const qint64 drafts = m_store.value(u"SELECT COUNT(*) FROM wallpapers WHERE owner_id = ? AND status = 'draft'"_s,
                                    { userId })
                              .value_or(0)
                              .toLongLong();
    if (drafts < maximumDrafts)
        return std::nullopt;
    return Refusal { 409, u"An account keeps at most %1 drafts; hand one in or delete one"_s.arg(maximumDrafts) };
}

std::optional<Refusal> SubmissionSpace::roomForBytes(const QString& userId, qint64 adding, qint64 replacing) const
{
    const qint64 held
        = m_store
              .value(u"SELECT COALESCE((SELECT SUM(m.size) FROM media_files m JOIN wallpapers w ON w.media_id = m.media_id "
                     "WHERE w.owner_id = ? AND w.status <> 'approved'), 0) + COALESCE((SELECT SUM(p.size) "
                     "FROM upload_parts p JOIN uploads u ON u.upload_id = p.upload_id JOIN wallpapers w "
                     "ON w.id = u.wallpaper_id WHERE w.owner_id = ?), 0)"_s,
                  { userId, userId })
              .value_or(0)
              .toLongLong();
    if (held - replacing + adding <= maximumBytes)
        // The new file is written whole before the one it replaces goes.
        return roomOnDisk(adding);
    return Refusal { 413,
        u"Submissions that are not public and unfinished uploads keep at most %1 GiB per account"_s.arg(
            maximumBytes >> 30) };
}

void SubmissionSpace::makeRoomForUpload(const QString& userId)
{
    const QStringList open = column(m_store.query(openUploadsOf, { userId }));
    for (qsizetype i = 0; i + maximumOpenUploads <= open.size(); ++i)
        removeUpload(open[i]);
}

int SubmissionSpace::removeAbandoned(qint64 seconds)
{
    const qint64 before = QDateTime::currentSecsSinceEpoch() - seconds;
    int removed = 0;
    for (const QString& upload :
        column(m_store.query(u"SELECT upload_id FROM uploads WHERE completed = 0 AND touched_at < ?"_s, { before })))
        removed += removeUpload(upload) ? 1 : 0;
    // Parts whose upload row is gone (a crash between the file and its row).
    const QDir uploads(m_media.uploadsRoot());
    for (const QFileInfo& folder : uploads.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (folder.lastModified().toSecsSinceEpoch() < before
            && !m_store.value(u"SELECT 1 FROM uploads WHERE upload_id = ? AND completed = 0"_s, { folder.fileName() })) {
            m_media.removeUpload(folder.fileName());
            ++removed;
        }
    }
    return removed;
}

bool SubmissionSpace::removeUpload(const QString& uploadId)
{
    // The rows go first, so a part left by a crash here is never used.
    if (!m_store.transaction([&] { return m_store.run(u"DELETE FROM uploads WHERE upload_id = ?"_s, { uploadId }); }))
        return false;
    m_media.removeUpload(uploadId);
    return true;
}
