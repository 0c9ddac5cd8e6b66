#include "LoopbackAssetServer.h"

#include "AerialHTTPServer.h"

void LoopbackAssetServer::start() { m_server.start(); }

QString LoopbackAssetServer::videoURL(const QString& assetID) const { return m_server.videoURL(assetID); }

QString LoopbackAssetServer::thumbnailURL(const QString& assetID) const { return m_server.thumbnailURL(assetID); }
