#pragma once

#include "AerialAssetServer.h"

// The process's loopback server as the aerial manager uses it.
class LoopbackAssetServer final : public AerialAssetServer
{
public:
    void start() override;
    QString videoURL(const QString& assetID) const override;
    QString thumbnailURL(const QString& assetID) const override;
};
