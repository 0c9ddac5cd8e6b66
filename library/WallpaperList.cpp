#include "WallpaperList.h"

#include "PoolRelease.h"

#include <algorithm>

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
        ++m_generation;
        dispose(std::exchange(m_items, std::move(items)));
        emit rowsChanged(0, m_items.size() - 1);
        return;
    }
    // Only the rows between those both lists begin and end with are removed,
    // then the new ones inserted, never the whole list reset: a view that makes
    // its delegates asynchronously then never holds a row that is gone.
    const qsizetype common = std::min(m_items.size(), items.size());
    qsizetype head = 0;
    while (head < common && m_items.at(head) == items.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < common - head && m_items.at(m_items.size() - 1 - tail) == items.at(items.size() - 1 - tail))
        ++tail;
    ++m_generation;
    if (head + tail < m_items.size()) {
        QList<Wallpaper> kept;
        kept.reserve(head + tail);
        kept.append(m_items.first(head));
        kept.append(m_items.last(tail));
        emit aboutToRemove(head, m_items.size() - tail - 1);
        dispose(std::exchange(m_items, std::move(kept)));
        m_indexStale = true;
        emit didRemove();
    }
    const qsizetype added = items.size() - head - tail;
    if (added > 0) {
        // The rows kept still hold their old records while the new ones go in.
        QList<Wallpaper> grown;
        grown.reserve(items.size());
        grown.append(m_items.first(head));
        grown.append(items.mid(head, added));
        grown.append(m_items.last(tail));
        emit aboutToInsert(head, head + added - 1);
        dispose(std::exchange(m_items, std::move(grown)));
        m_indexStale = true;
        emit didInsert();
    }
    dispose(std::exchange(m_items, std::move(items)));
    m_indexStale = true;
    // The rows kept carry the new records.
    if (head > 0)
        emit rowsChanged(0, head - 1);
    if (tail > 0)
        emit rowsChanged(m_items.size() - tail, m_items.size() - 1);
    emit idsChanged();
}

WallpaperList::Snapshot WallpaperList::snapshot() const
{
    return Snapshot{m_generation, m_items, index()};
}

WallpaperList::MergePlan WallpaperList::planMerge(Snapshot snapshot, const QList<Wallpaper>& records)
{
    MergePlan plan;
    plan.basedOn = snapshot.generation;
    plan.items = std::move(snapshot.items);
    plan.index = std::move(snapshot.index);
    const qsizetype oldSize = plan.items.size();
    plan.firstChanged = oldSize;
    for (const Wallpaper& record : records) {
        if (const auto found = plan.index.constFind(record.id); found != plan.index.cend()) {
            if (*found < oldSize) {
                plan.items[*found] = record;
                plan.firstChanged = std::min(plan.firstChanged, *found);
                plan.lastChanged = std::max(plan.lastChanged, *found);
            } else {
                plan.appended[*found - oldSize] = record;
            }
        } else {
            plan.index.insert(record.id, oldSize + plan.appended.size());
            plan.appended.append(record);
        }
    }
    plan.oldSize = oldSize;
    // With nothing replaced the whole list is built here, so applying it is one swap.
    if (plan.lastChanged < plan.firstChanged) {
        plan.items.append(std::move(plan.appended));
        plan.appended.clear();
    } else {
        plan.items.reserve(oldSize + plan.appended.size());
    }
    return plan;
}

bool WallpaperList::applyMerge(MergePlan plan)
{
    if (plan.basedOn != m_generation)
        return false;
    ++m_generation;
    const qsizetype oldSize = plan.oldSize;
    const qsizetype newSize = plan.items.size() + plan.appended.size();
    const bool whole = plan.items.size() > oldSize; // only appended, joined already
    if (whole)
        emit aboutToInsert(oldSize, newSize - 1);
    dispose(std::exchange(m_items, std::move(plan.items)));
    m_index = std::move(plan.index);
    m_indexStale = false;
    // Otherwise replacements first, then the new rows, so views see each change on its own.
    if (plan.lastChanged >= plan.firstChanged)
        emit rowsChanged(plan.firstChanged, plan.lastChanged);
    if (!whole && !plan.appended.isEmpty()) {
        emit aboutToInsert(oldSize, newSize - 1);
        m_items.append(std::move(plan.appended));
    }
    if (newSize > oldSize) {
        emit didInsert();
        emit idsChanged();
    }
    return true;
}

void WallpaperList::merge(const QList<Wallpaper>& records)
{
    if (!records.isEmpty())
        applyMerge(planMerge(snapshot(), records));
}

void WallpaperList::dispose(QList<Wallpaper> items)
{
    releaseOnPool(std::move(items));
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
    ++m_generation;
    if (runs.size() > maxRemovedRuns) {
        emit aboutToReset();
        QList<Wallpaper> kept;
        kept.reserve(m_items.size() - removed);
        for (qsizetype row = 0; row < m_items.size(); ++row) {
            if (!gone.at(row))
                kept.append(m_items.at(row));
        }
        dispose(std::exchange(m_items, std::move(kept)));
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
