#include "SampleCatalogue.h"

#include "LocalService.h"
#include "SampleRecipes.h"
#include "SyntheticClip.h"
#include "VideoTranscoder.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent>

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList mediaFiles { u"content.mov"_s, u"poster.png"_s, u"preview.mov"_s, u"thumbnail.jpg"_s };
const QList<std::pair<QString, QString>> slotFiles { { u"content"_s, u"content.mov"_s },
    { u"poster"_s, u"poster.png"_s }, { u"preview"_s, u"preview.mov"_s }, { u"thumbnail"_s, u"thumbnail.jpg"_s } };

QString typeOf(const QString& fileName)
{
    if (fileName.endsWith(u".mov"_s))
        return u"video/quicktime"_s;
    if (fileName.endsWith(u".png"_s))
        return u"image/png"_s;
    return u"image/jpeg"_s;
}

// A fixed hexadecimal id from a name, so a record keeps its id across data folders.
QString fixedId(const QString& name)
{
    return QString::fromLatin1(QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(24));
}

bool complete(const QString& folder)
{
    for (const QString& name : mediaFiles) {
        if (!QFileInfo(folder + u'/' + name).isFile())
            return false;
    }
    return true;
}

bool writeThumbnail(const QString& poster, const QString& thumbnail)
{
    QImage image(poster);
    if (image.isNull())
        return false;
    if (image.width() > 640)
        image = image.scaledToWidth(640, Qt::SmoothTransformation);
    QSaveFile file(thumbnail);
    return file.open(QIODevice::WriteOnly) && image.convertToFormat(QImage::Format_RGB32).save(&file, "JPEG", 85)
        && file.commit();
}

// One sample's files, made into a scratch folder and moved into the cache whole.
QString makeOne(const SampleRecipes::Wallpaper& recipe, const QString& cache)
{
    QTemporaryDir scratch(cache + u"/.making-XXXXXX"_s);
    if (!scratch.isValid())
        return u"no scratch folder in "_s + cache;
    const QString graph = QString(recipe.graph)
                              .replace(u"%1"_s, QString::number(recipe.size.width()) + u'x'
                                      + QString::number(recipe.size.height()))
                              .replace(u"%2"_s, QString::number(SampleRecipes::framesPerSecond));
    const QString source = scratch.filePath(u"source.mp4"_s);
    QString error;
    if (!SyntheticClip::write(graph, SampleRecipes::frames, SampleRecipes::framesPerSecond, source, &error))
        return error;
    VideoTranscoder::VideoOutputs outputs;
    outputs.content = scratch.filePath(u"content.mov"_s);
    outputs.poster = scratch.filePath(u"poster.png"_s);
    outputs.preview = scratch.filePath(u"preview.mov"_s);
    outputs.previewDuration = 3.0;
    outputs.previewHeight = 360;
    try {
        QFuture<bool> job = VideoTranscoder::transcodeWithPosterAndPreview(
            source, outputs, recipe.size.width(), recipe.size.height());
        if (!job.result())
            return u"no preview clip"_s;
    } catch (const std::exception& failure) {
        return QString::fromUtf8(failure.what());
    } catch (...) {
        return u"the transcode failed"_s;
    }
    QFile::remove(source);
    if (!writeThumbnail(outputs.poster, scratch.filePath(u"thumbnail.jpg"_s)))
        return u"no thumbnail"_s;
    const QString target = cache + u'/' + recipe.key;
    QDir(target).removeRecursively();
    if (!QDir().rename(scratch.path(), target))
        return u"cannot move the files to "_s + target;
    scratch.setAutoRemove(false);
    return {};
}

} // namespace

SampleCatalogue::SampleCatalogue(LocalService& service, QString cacheFolder, Progress progress)
    : m_service(service), m_cache(std::move(cacheFolder)), m_progress(std::move(progress))
{
}

QString SampleCatalogue::defaultCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/lanto-service/samples"_s;
}

bool SampleCatalogue::ensure(QString* error)
{
    if (m_service.catalogue().wallpaperCount() > 0)
        return true;
    return makeMedia(m_cache, m_progress, error) && addRecords();
}

QList<SampleRecipes::Wallpaper> SampleCatalogue::missingMedia(const QString& cache)
{
    QList<SampleRecipes::Wallpaper> missing;
    for (const SampleRecipes::Wallpaper& recipe : SampleRecipes::wallpapers()) {
        if (!complete(cache + u'/' + recipe.key))
            missing.append(recipe);
    }
    return missing;
}

bool SampleCatalogue::makeMedia(const QString& cache, const Progress& progress, QString* error)
{
    QDir().mkpath(cache);
    const QList<SampleRecipes::Wallpaper> missing = missingMedia(cache);
    if (missing.isEmpty())
        return true;
    if (progress)
        progress(u"making %1 sample wallpapers in %2"_s.arg(missing.size()).arg(cache));
    // Drawing the sources is cheap and runs wide; the transcodes queue in the pipeline's own pool.
    QThreadPool pool;
    pool.setMaxThreadCount(qMax(2, QThread::idealThreadCount() / 2));
    std::atomic<int> done = 0;
    QMutex failures;
    QStringList failed;
    QList<QFuture<void>> jobs;
    for (const SampleRecipes::Wallpaper& recipe : missing) {
        jobs.append(QtConcurrent::run(&pool, [&, recipe] {
            const QString problem = makeOne(recipe, cache);
            const int count = ++done;
            QMutexLocker lock(&failures);
            if (!problem.isEmpty())
                failed.append(recipe.key + u": "_s + problem);
            if (progress)
                progress(u"sample %1/%2 %3%4"_s.arg(count).arg(missing.size()).arg(recipe.key,
                    problem.isEmpty() ? QString() : u" failed: "_s + problem));
        }));
    }
    for (QFuture<void>& job : jobs)
        job.waitForFinished();
    if (!failed.isEmpty() && error)
        *error = failed.join(u"; "_s);
    return failed.isEmpty();
}

bool SampleCatalogue::addCreatorsAndTags()
{
    for (const SampleRecipes::Creator& c : SampleRecipes::creators()) {
        if (!m_service.accounts().addCreator(c.id, c.name, c.handle, c.avatarColor, c.verified, c.followers))
            return false;
    }
    for (const APITag& tag : SampleRecipes::tags()) {
        if (!m_service.catalogue().addTag(tag))
            return false;
    }
    return true;
}

bool SampleCatalogue::addRecords()
{
    if (!addCreatorsAndTags())
        return false;
    ServiceStore& store = m_service.store();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const SampleRecipes::Wallpaper& recipe : SampleRecipes::wallpapers()) {
        const QString mediaId = u"sample-"_s + recipe.key;
        for (const auto& [slot, fileName] : slotFiles) {
            const QString file = m_cache + u'/' + recipe.key + u'/' + fileName;
            const bool placed = m_service.media().adoptFile(mediaId, fileName, file) && store.transaction([&] {
                return store.run(u"INSERT OR REPLACE INTO media_files (media_id, slot, file_name, content_type, "
                                 "size) VALUES (?, ?, ?, ?, ?)"_s,
                    { mediaId, slot, fileName, typeOf(fileName), QFileInfo(file).size() });
            });
            if (!placed)
                return false;
        }
        WallpaperEntry entry;
        entry.id = fixedId(recipe.key);
        entry.ownerId = SampleRecipes::creators().at(recipe.creator).id;
        entry.title = recipe.title;
        entry.type = u"video"_s;
        entry.category = recipe.category;
        entry.width = recipe.size.width();
        entry.height = recipe.size.height();
        entry.fileSize = QFileInfo(m_cache + u'/' + recipe.key + u"/content.mov"_s).size();
        entry.tags = recipe.tags;
        entry.previewColors = recipe.colors;
        entry.status = u"approved"_s;
        entry.mediaId = mediaId;
        entry.featured = recipe.featured;
        entry.pick = recipe.pick;
        entry.free = recipe.free;
        entry.downloadCount = recipe.downloads;
        entry.favoriteCount = recipe.downloads / 7;
        entry.applyCount = recipe.downloads / 2;
        entry.trendCount = recipe.trend;
        entry.createdAt = now.addDays(-recipe.daysOld).addSecs(-60 * entry.title.size()).toString(Qt::ISODateWithMs);
        if (!m_service.catalogue().add(entry))
            return false;
    }
    if (m_progress)
        m_progress(u"sample catalogue: %1 wallpapers"_s.arg(SampleRecipes::wallpapers().size()));
    return true;
}

bool SampleCatalogue::ensureExtraRecords(int count)
{
    if (!addCreatorsAndTags())
        return false;
    const QList<SampleRecipes::Wallpaper>& samples = SampleRecipes::wallpapers();
    ServiceStore& store = m_service.store();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return store.transaction([&] {
        for (int n = 1; n <= count; ++n) {
            const SampleRecipes::Wallpaper& sample = samples[(n - 1) % samples.size()];
            const QString id = fixedId(u"record-"_s + QString::number(n));
            const QString mediaId = u"sample-"_s + sample.key;
            const qint64 size = store.value(u"SELECT size FROM media_files WHERE media_id = ? AND slot = 'content'"_s,
                                         { mediaId })
                                    .value_or(0)
                                    .toLongLong();
            if (!store.run(u"INSERT OR IGNORE INTO wallpapers (id, owner_id, title, type, category, width, height, "
                           "file_size, tags, status, media_id, download_count, trend_count, created_at, updated_at) "
                           "VALUES (?, ?, ?, 'video', ?, ?, ?, ?, ?, 'approved', ?, ?, ?, ?, ?)"_s,
                    { id, SampleRecipes::creators().at(n % SampleRecipes::creators().size()).id,
                        sample.title + u' ' + QString::number(n), sample.category, sample.size.width(),
                        sample.size.height(), size, u"[]"_s, mediaId, n % 97, n % 13,
                        now.addDays(-30).addSecs(-n).toString(Qt::ISODateWithMs),
                        now.addDays(-30).toString(Qt::ISODateWithMs) }))
                return false;
        }
        return true;
    });
}
