#include "MediaStore.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 copyChunk = 1 << 20;

bool saveWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

MediaStore::MediaStore(const QString& dataFolder)
    : m_media(QDir(dataFolder).filePath(u"media"_s)), m_uploads(QDir(dataFolder).filePath(u"uploads"_s))
{
    QDir().mkpath(m_media);
    QDir().mkpath(m_uploads);
}

bool MediaStore::isSafeName(const QString& name)
{
    if (name.isEmpty() || name.size() > 128 || name.startsWith(u'.'))
        return false;
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_' && c != u'.')
            return false;
    }
    return true;
}

QString MediaStore::filePath(const QString& mediaId, const QString& fileName) const
{
    if (!isSafeName(mediaId) || !isSafeName(fileName))
        return {};
    return m_media + u'/' + mediaId + u'/' + fileName;
}

bool MediaStore::writeFile(const QString& mediaId, const QString& fileName, const QByteArray& bytes)
{
    const QString path = filePath(mediaId, fileName);
    return !path.isEmpty() && QDir().mkpath(QFileInfo(path).path()) && saveWhole(path, bytes);
}

bool MediaStore::adoptFile(const QString& mediaId, const QString& fileName, const QString& source)
{
    const QString path = filePath(mediaId, fileName);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile::remove(path);
    if (::link(QFile::encodeName(source).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    QFile in(source);
    QSaveFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(copyChunk);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            return false;
    }
    return out.commit();
}

bool MediaStore::removeMedia(const QString& mediaId)
{
    if (!isSafeName(mediaId))
        return false;
    return QDir(m_media + u'/' + mediaId).removeRecursively();
}

void MediaStore::removeFile(const QString& mediaId, const QString& fileName)
{
    if (const QString path = filePath(mediaId, fileName); !path.isEmpty())
        QFile::remove(path);
}

QString MediaStore::partPath(const QString& uploadId, qint64 partNumber) const
{
    if (!isSafeName(uploadId))
        return {};
    return m_uploads + u'/' + uploadId + u'/' + QString::number(partNumber) + u".part"_s;
}

bool MediaStore::writePart(const QString& uploadId, qint64 partNumber, const QByteArray& bytes)
{
    const QString path = partPath(uploadId, partNumber);
    return !path.isEmpty() && QDir().mkpath(QFileInfo(path).path()) && saveWhole(path, bytes);
}

bool MediaStore::assemble(
    const QString& uploadId, const QList<qint64>& partNumbers, const QString& mediaId, const QString& fileName)
{
    const QString path = filePath(mediaId, fileName);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (qint64 number : partNumbers) {
        QFile part(partPath(uploadId, number));
        if (!part.open(QIODevice::ReadOnly))
            return false;
        while (!part.atEnd()) {
            const QByteArray chunk = part.read(copyChunk);
            if (chunk.isEmpty() || out.write(chunk) != chunk.size())
                return false;
        }
    }
    return out.commit();
}

void MediaStore::removeUpload(const QString& uploadId)
{
    if (isSafeName(uploadId))
        QDir(m_uploads + u'/' + uploadId).removeRecursively();
}
