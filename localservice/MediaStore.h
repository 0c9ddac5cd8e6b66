#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The service's files in its data folder: one folder per media id under
// "media", and the parts of unfinished uploads under "uploads". Every name
// handed in is checked to stay inside its folder; every file is written
// whole and atomically.
class MediaStore
{
public:
    explicit MediaStore(const QString& dataFolder);

    QString mediaRoot() const { return m_media; }
    QString uploadsRoot() const { return m_uploads; }

    // A plain file name: no separators, no leading dot, a modest length.
    static bool isSafeName(const QString& name);

    // The path of a file of a media folder; empty when a name is unsafe.
    QString filePath(const QString& mediaId, const QString& fileName) const;
    bool writeFile(const QString& mediaId, const QString& fileName, const QByteArray& bytes);
    // Places a finished file (made elsewhere) into a media folder: a hard link
    // when it can, else a copy.
    bool adoptFile(const QString& mediaId, const QString& fileName, const QString& source);
    bool removeMedia(const QString& mediaId);
    void removeFile(const QString& mediaId, const QString& fileName);

    bool writePart(const QString& uploadId, qint64 partNumber, const QByteArray& bytes);
    // Joins the parts, in the order given, into the media file, streaming
    // through a bounded buffer; the parts stay until removeUpload().
    bool assemble(const QString& uploadId, const QList<qint64>& partNumbers, const QString& mediaId,
        const QString& fileName);
    void removeUpload(const QString& uploadId);

private:
    QString partPath(const QString& uploadId, qint64 partNumber) const;

    QString m_media;
    QString m_uploads;
};
