#include "WallpaperList.h"

namespace {

// Past this many separate runs of removed rows one reset is cheaper for views.
constexpr qsizetype maxRemovedRuns = 64;

} // namespace

const QHash<QUuid, qsizetype>& WallpaperList::index() const
{
    if (m_indexStale) {
        m_index.clear();
        m_index.reserve(m_items.size());
        for (qsizetype row = 0; row < m_items.size(); ++row)
            m_index.insert(m_items.at(row).id, row);
        m_indexStale = false;
    }
    return m_index;
}

std::optional<qsizetype> WallpaperList::rowOf(const QUuid& id) const
{
    const auto found = index().constFind(id);
    return found == index().cend() ? std::nullopt : std::optional<qsizetype>(*found);
}

bool WallpaperList::sameIds(const QList<Wallpaper>& a, const QList<Wallpaper>& b)
{
    return a == b; // Wallpaper equality compares ids only
}

void WallpaperList::assign(QList<Wallpaper> items)
{
    if (sameIds(items, m_items)) {
        if (items.isEmpty())
            return;
        m_items = std::move(items);
        emit rowsChanged(0, m_items.size() - 1);
        return;
    }
    emit aboutToReset();
    m_items = std::move(items);
    m_indexStale = true;
    emit didReset();
    emit idsChanged();
}

void WallpaperList::merge(const QList<Wallpaper>& records)
{
    if (records.isEmpty())
        return;
    index(); // kept current below
    const qsizetype oldSize = m_items.size();
    qsizetype firstChanged = oldSize;
    qsizetype lastChanged = -1;
    QList<Wallpaper> appended;
    QHash<QUuid, qsizetype> appendedRows;
    for (const Wallpaper& record : records) {
        if (const auto found = m_index.constFind(record.id); found != m_index.cend()) {
            m_items[*found] = record;
            firstChanged = std::min(firstChanged, *found);
            lastChanged = std::max(lastChanged, *found);
        } else if (const auto pending = appendedRows.constFind(record.id); pending != appendedRows.cend()) {
            appended[*pending] = record;
        } else {
            appendedRows.insert(record.id, appended.size());
            appended.append(record);
        }
    }
    if (lastChanged >= 0)
        emit rowsChanged(firstChanged, lastChanged);
    if (appended.isEmpty())
        return;
    emit aboutToInsert(oldSize, oldSize + appended.size() - 1);
    m_items.append(appended);
    for (auto it = appendedRows.cbegin(); it != appendedRows.cend(); ++it)
        m_index.insert(it.key(), oldSize + it.value());
    emit didInsert();
    emit idsChanged();
}

qsizetype WallpaperList::removeIf(const std::function<bool(const Wallpaper&)>& matches)
{
    // Runs of removed rows, found from the back so earlier rows keep their numbers.
    QList<std::pair<qsizetype, qsizetype>> runs;
    QList<bool> gone(m_items.size(), false);
    for (qsizetype row = m_items.size() - 1; row >= 0; --row) {
        if (!matches(m_items.at(row)))
            continue;
        gone[row] = true;
        if (!runs.isEmpty() && runs.last().first == row + 1)
            runs.last().first = row;
        else
            runs.append({row, row});
    }
    if (runs.isEmpty())
        return 0;
    qsizetype removed = 0;
    for (const auto& [first, last] : runs)
        removed += last - first + 1;
    m_indexStale = true;
    if (runs.size() > maxRemovedRuns) {
        emit aboutToReset();
        QList<Wallpaper> kept;
        kept.reserve(m_items.size() - removed);
        for (qsizetype row = 0; row < m_items.size(); ++row) {
            if (!gone.at(row))
                kept.append(m_items.at(row));
        }
        m_items = std::move(kept);
        emit didReset();
    } else {
        for (const auto& [first, last] : runs) {
            emit aboutToRemove(first, last);
            m_items.remove(first, last - first + 1);
            emit didRemove();
        }
    }
    emit idsChanged();
    return removed;
}
