#pragma once

#include "Refusal.h"

#include <QString>

#include <functional>
#include <optional>

// The free disk the service always leaves on the volume of its data folder,
// whatever accounts ask: the larger of 1 GiB or 5 % of the volume. Nothing is
// stored that would go below it.
class DiskFloor
{
public:
    struct Space
    {
        qint64 free = 0; // bytes this process may still write
        qint64 total = 0;
    };
    // The space of the volume that holds a path; nullopt when it cannot be told.
    using SpaceQuery = std::function<std::optional<Space>(const QString& path)>;

    static constexpr qint64 minimumFree = qint64(1) << 30;
    static constexpr int minimumFreePercent = 5;

    explicit DiskFloor(QString folder, SpaceQuery query = volumeSpace)
        : m_folder(std::move(folder)), m_query(std::move(query))
    {
    }

    // What the file system says.
    static std::optional<Space> volumeSpace(const QString& path);
    static qint64 floorOf(qint64 total) { return qMax(minimumFree, total / 100 * minimumFreePercent); }

    // 507 when writing that many bytes would leave less than the floor free.
    std::optional<Refusal> roomFor(qint64 bytes) const;

private:
    QString m_folder;
    SpaceQuery m_query;
};
