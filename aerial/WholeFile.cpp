#include "WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("The folder of %1 could not be created.").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
