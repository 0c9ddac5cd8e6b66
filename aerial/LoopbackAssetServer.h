#pragma once

#include "AerialAssetServer.h"

class AerialHTTPServer;

// The loopback HTTP server as the aerial manager sees it.
class LoopbackAssetServer final : public AerialAssetServer
{
public:
    explicit LoopbackAssetServer(AerialHTTPServer& server) : m_server(server) { }

    void start() override;
    QString videoURL(const QString& assetID) const override;
    QString thumbnailURL(const QString& assetID) const override;

private:
    AerialHTTPServer& m_server;
};
