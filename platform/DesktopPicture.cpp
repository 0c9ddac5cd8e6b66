#include "DesktopPicture.h"

#include "RegularFile.h"
#include "UserHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>

namespace {

// A larger file is not ours: it counts as corrupt.
constexpr qint64 maxFileBytes = 1024 * 1024;
// How long a change waits for the other program's change to the same file.
constexpr int lockTimeoutMilliseconds = 2000;

const QString displaysKey = QStringLiteral("displays");
const QString urlKey = QStringLiteral("url");
const QString scalingKey = QStringLiteral("imageScaling");
const QString clippingKey = QStringLiteral("allowClipping");

QJsonObject readDisplays()
{
    const std::optional<QByteArray> bytes = RegularFile::readAll(FileDesktopPicture::filePath(), maxFileBytes);
    if (!bytes)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    return document.object().value(displaysKey).toObject();
}

QJsonObject entryFor(const ConnectedDisplay& display)
{
    if (display.uuid.isEmpty())
        return {};
    return readDisplays().value(display.uuid).toObject();
}

bool fail(QString* error, const QString& reason)
{
    if (error != nullptr)
        *error = reason;
    return false;
}

} // namespace

QString FileDesktopPicture::filePath()
{
    return UserHome::path() + QStringLiteral("/.config/lanto/desktop-pictures.json");
}

std::optional<QUrl> FileDesktopPicture::desktopImageUrl(const ConnectedDisplay& display) const
{
    const QUrl url(entryFor(display).value(urlKey).toString(), QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile() || url.path().isEmpty())
        return std::nullopt;
    return url;
}

DesktopPictureOptions FileDesktopPicture::desktopImageOptions(const ConnectedDisplay& display) const
{
    const QJsonObject entry = entryFor(display);
    DesktopPictureOptions options;
    if (entry.value(scalingKey).isDouble())
        options.imageScaling = entry.value(scalingKey).toInt();
    if (entry.value(clippingKey).isBool())
        options.allowClipping = entry.value(clippingKey).toBool();
    return options;
}

bool FileDesktopPicture::setDesktopImageUrl(
    const QUrl& url, const ConnectedDisplay& display, const DesktopPictureOptions& options, QString* error)
{
    if (display.uuid.isEmpty())
        return fail(error, QStringLiteral("The display has no UUID"));

    const QString path = filePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(error, QStringLiteral("Cannot create the folder of %1").arg(path));
    // Both programs change this file: the lock keeps one's change from undoing the other's.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockTimeoutMilliseconds))
        return fail(error, QStringLiteral("%1 is locked by another program").arg(path));

    QJsonObject displays = readDisplays();
    if (isClearingUrl(url)) {
        displays.remove(display.uuid);
    } else {
        if (!url.isLocalFile())
            return fail(error, QStringLiteral("Not a file URL: %1").arg(url.toDisplayString()));
        if (!QFileInfo(url.toLocalFile()).isFile())
            return fail(error, QStringLiteral("No picture file at %1").arg(url.toLocalFile()));
        QJsonObject entry { { urlKey, url.toString(QUrl::FullyEncoded) } };
        if (options.imageScaling)
            entry.insert(scalingKey, *options.imageScaling);
        if (options.allowClipping)
            entry.insert(clippingKey, *options.allowClipping);
        displays.insert(display.uuid, entry);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    file.write(QJsonDocument(QJsonObject { { displaysKey, displays } }).toJson());
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
