#include "DroppedFiles.h"

#include "FutureDelivery.h"
#include "ImportFileTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QUuid>

namespace {

QStringList acceptedPaths(const QList<QUrl>& urls)
{
    QStringList paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && ImportFileTypes::isAccepted(url.toLocalFile()))
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

DroppedFiles::DroppedFiles(QObject* parent) : DroppedFiles(QDir::tempPath(), parent) {}

DroppedFiles::DroppedFiles(QString directory, QObject* parent) : QObject(parent), m_directory(std::move(directory)) {}

bool DroppedFiles::accepts(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && ImportFileTypes::isAccepted(url.toLocalFile()))
            return true;
    }
    return false;
}

void DroppedFiles::take(const QList<QUrl>& urls)
{
    // Reading the types may touch the files' contents, so that too stays off the main thread.
    runDeliveredTo(this, [urls, directory = m_directory] {
        QList<QUrl> copies;
        for (const QString& path : acceptedPaths(urls))
            copies.append(copyIntoFolder(path, directory));
        return copies;
    }).then(this, [this](const QList<QUrl>& copies) {
        if (!copies.isEmpty())
            emit copied(copies);
    });
}

QUrl DroppedFiles::copyIntoFolder(const QString& source, const QString& directory)
{
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + u'-' + QFileInfo(source).fileName();
    const QString destination = QDir(directory).filePath(name);
    QFile::copy(source, destination);
    return QUrl::fromLocalFile(destination);
}
