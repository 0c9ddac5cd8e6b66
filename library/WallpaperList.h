#pragma once

#include "Wallpaper.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

// An ordered list of wallpapers that tells its observers exactly which rows
// changed, so that a model over it moves rows instead of resetting, and a view
// of thousands of cards keeps its place. Main thread.
class WallpaperList : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    const QList<Wallpaper>& items() const { return m_items; }
    qsizetype size() const { return m_items.size(); }
    const Wallpaper& at(qsizetype row) const { return m_items.at(row); }
    // The last row holding the id.
    std::optional<qsizetype> rowOf(const QUuid& id) const;

    // Replaces the whole list. With the same ids in the same order the rows are
    // updated in place and no change of the list is published; otherwise the
    // rows between the ones both lists begin and end with are removed and the
    // new ones inserted.
    void assign(QList<Wallpaper> items);
    // Replaces each record whose id is listed, whole and in place (the last row
    // of an id that occurs twice), and appends the others in order; an id
    // repeated in records is appended once, then replaced by its later record.
    void merge(const QList<Wallpaper>& records);

    // A long merge is worked out on another thread from a snapshot, then
    // applied here: copying tens of thousands of records stays off the main thread.
    struct Snapshot
    {
        quint64 generation = 0;
        QList<Wallpaper> items;
        QHash<QUuid, qsizetype> index;
    };
    struct MergePlan
    {
        quint64 basedOn = 0;
        qsizetype oldSize = 0;
        // The rows there were with the replacements made, and the new rows:
        // joined already in items when nothing was replaced.
        QList<Wallpaper> items;
        QList<Wallpaper> appended;
        QHash<QUuid, qsizetype> index; // of every row, the appended included
        qsizetype firstChanged = 0;
        qsizetype lastChanged = -1; // none replaced when below firstChanged
    };
    Snapshot snapshot() const; // shares the data: cheap
    static MergePlan planMerge(Snapshot snapshot, const QList<Wallpaper>& records); // any thread
    // False, changing nothing, when the list changed since the plan's snapshot.
    bool applyMerge(MergePlan plan);
    // Removes the matching records, keeping the order of the rest. Returns how many went.
    qsizetype removeIf(const std::function<bool(const Wallpaper&)>& matches);

    static bool sameIds(const QList<Wallpaper>& a, const QList<Wallpaper>& b);

signals:
    void aboutToReset();
    void didReset();
    void aboutToInsert(qsizetype first, qsizetype last);
    void didInsert();
    void aboutToRemove(qsizetype first, qsizetype last);
    void didRemove();
    void rowsChanged(qsizetype first, qsizetype last);
    // After every change of the list's ids (not after rows updated in place).
    void idsChanged();

private:
    const QHash<QUuid, qsizetype>& index() const;

    // Keeps a long list being replaced from being freed on the main thread.
    void dispose(QList<Wallpaper> items);

    QList<Wallpaper> m_items;
    quint64 m_generation = 0; // counts changes, so a stale plan is refused
    mutable QHash<QUuid, qsizetype> m_index; // id to its last row; rebuilt when stale
    mutable bool m_indexStale = true;
};
