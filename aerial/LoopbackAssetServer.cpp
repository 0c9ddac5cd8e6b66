#include "LoopbackAssetServer.h"

namespace {

QString assetURL(const QString& folder, const QString& assetID, const QString& extension)
{
    return QStringLiteral("http://127.0.0.1:24681/%1/%2.%3").arg(folder, assetID, extension);
}

} // namespace

void LoopbackAssetServer::start() { }

QString LoopbackAssetServer::videoURL(const QString& assetID) const
{
    return assetURL(QStringLiteral("videos"), assetID, QStringLiteral("mov"));
}

QString LoopbackAssetServer::thumbnailURL(const QString& assetID) const
{
    return assetURL(QStringLiteral("thumbnails"), assetID, QStringLiteral("png"));
}
