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
    // updated in place and no change of the list is published.
    void assign(QList<Wallpaper> items);
    // Replaces each record whose id is listed, whole and in place (the last row
    // of an id that occurs twice), and appends the others in order; an id
    // repeated in records is appended once, then replaced by its later record.
    void merge(const QList<Wallpaper>& records);
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

    QList<Wallpaper> m_items;
    mutable QHash<QUuid, qsizetype> m_index; // id to its last row; rebuilt when stale
    mutable bool m_indexStale = true;
};
