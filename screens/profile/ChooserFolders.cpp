#include "ChooserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QUrl existingOrHome(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    // Without a configured folder the location falls back to home itself.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return QUrl::fromLocalFile(folder);
    return QUrl::fromLocalFile(QDir::homePath());
}

} // namespace

QUrl ChooserFolders::videos()
{
    return existingOrHome(QStandardPaths::MoviesLocation);
}

QUrl ChooserFolders::pictures()
{
    return existingOrHome(QStandardPaths::PicturesLocation);
}
