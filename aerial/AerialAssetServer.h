#pragma once

#include <QString>

// The loopback server that hands the system the video and thumbnail of each
// aerial, as the aerial manager sees it: started once, and the URLs it serves
// an asset under.
class AerialAssetServer
{
public:
    virtual ~AerialAssetServer() = default;

    virtual void start() = 0;
    virtual QString videoURL(const QString& assetID) const = 0;
    virtual QString thumbnailURL(const QString& assetID) const = 0;
};
