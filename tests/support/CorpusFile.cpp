#include "CorpusFile.h"

#include <QFile>
#include <QProcess>

QByteArray corpusFileBytes(const QString& path)
{
    if (!path.endsWith(QLatin1String(".gz"))) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), { QStringLiteral("-dc"), path });
    gzip.waitForFinished(60000);
    return gzip.readAllStandardOutput();
}
