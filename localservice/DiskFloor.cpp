#include "DiskFloor.h"

#include <QLocale>
#include <QStorageInfo>

using namespace Qt::Literals::StringLiterals;

std::optional<DiskFloor::Space> DiskFloor::volumeSpace(const QString& path)
{
    const QStorageInfo volume(path);
    if (!volume.isValid() || !volume.isReady())
        return std::nullopt;
    return Space { volume.bytesAvailable(), volume.bytesTotal() };
}

std::optional<Refusal> DiskFloor::roomFor(qint64 bytes) const
{
    // A volume that cannot be asked does not stop the service; the write itself still reports a full disk.
    const std::optional<Space> space = m_query(m_folder);
    if (!space)
        return std::nullopt;
    const qint64 floor = floorOf(space->total);
    if (space->free - bytes >= floor)
        return std::nullopt;
    const QLocale c = QLocale::c();
    return Refusal { 507,
        u"The service's disk is nearly full: it keeps %1 free, and %2 more does not fit"_s.arg(
            c.formattedDataSize(floor), c.formattedDataSize(bytes)) };
}
