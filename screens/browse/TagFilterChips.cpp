#include "TagFilterChips.h"

#include "ModelSignals.h"
#include "Rebind.h"
#include "WallpaperListModel.h"
#include "WallpaperManager.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

TagFilterChips::TagFilterChips(QObject* parent) : QObject(parent) {}

void TagFilterChips::setManager(WallpaperManager* manager)
{
    const bool changed = rebind(m_manager, manager, this, [this](WallpaperManager* next) {
        connect(next, &WallpaperManager::tagCatalogChanged, this, &TagFilterChips::updateChips);
    });
    if (!changed)
        return;
    updateChips();
    emit managerChanged();
}

void TagFilterChips::setWallpapers(QAbstractItemModel* wallpapers)
{
    if (m_wallpapers == wallpapers)
        return;
    if (m_wallpapers)
        m_wallpapers->disconnect(this);
    m_wallpapers = wallpapers;
    if (wallpapers)
        ModelSignals::onAnyChange(wallpapers, this, &TagFilterChips::updateUsedTags);
    updateUsedTags();
    emit wallpapersChanged();
}

void TagFilterChips::setSelectedTagId(const QString& tagId)
{
    if (m_selectedTagId == tagId)
        return;
    m_selectedTagId = tagId;
    updateChips();
    emit selectedTagIdChanged();
}

QString TagFilterChips::impliedSeriesId() const
{
    if (!m_manager || m_selectedTagId.isEmpty())
        return QString();
    const auto& catalog = m_manager->tagCatalog();
    const auto tag = catalog.constFind(m_selectedTagId);
    if (tag == catalog.cend())
        return QString();
    if (tag->groupName == "series"_L1)
        return tag->id;
    if (tag->groupName == "character"_L1)
        return tag->parentId.value_or(QString());
    return QString();
}

QString TagFilterChips::afterMainChip(const QString& tagId) const
{
    // A series chip lit by one of its characters selects the whole series.
    return m_selectedTagId == tagId ? QString() : tagId;
}

QString TagFilterChips::afterCharacter(const QString& tagId) const
{
    return m_selectedTagId == tagId ? impliedSeriesId() : tagId;
}

void TagFilterChips::updateUsedTags()
{
    QSet<QString> used;
    const int rows = m_wallpapers ? m_wallpapers->rowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = m_wallpapers->index(row, 0);
        // Held here: the tags belong to the record, which must outlive the loop.
        const Wallpaper wallpaper = index.data(WallpaperListModel::WallpaperRole).value<Wallpaper>();
        for (const QString& tag : wallpaper.tags())
            used.insert(tag);
    }
    if (used == m_usedTagIds)
        return;
    m_usedTagIds = std::move(used);
    updateChips();
}

QList<TagChipModel::Chip> TagFilterChips::tagsInGroup(const QString& group) const
{
    QList<TagChipModel::Chip> chips;
    if (!m_manager)
        return chips;
    const auto& catalog = m_manager->tagCatalog();
    for (const QString& id : m_usedTagIds) {
        const auto tag = catalog.constFind(id);
        if (tag != catalog.cend() && tag->groupName == group)
            chips.append({tag->id, tag->name, group});
    }
    // Plain code-unit order, so capitals come first; equal names by id, to stay put between updates.
    std::sort(chips.begin(), chips.end(), [](const TagChipModel::Chip& a, const TagChipModel::Chip& b) {
        return a.name != b.name ? a.name < b.name : a.tagId < b.tagId;
    });
    return chips;
}

void TagFilterChips::updateChips()
{
    const QList<TagChipModel::Chip> series = tagsInGroup(u"series"_s);
    const QList<TagChipModel::Chip> others = tagsInGroup(u"theme"_s) + tagsInGroup(u"scene"_s);
    QList<TagChipModel::Chip> main = series;
    if (!series.isEmpty() && !others.isEmpty())
        main.append({QString(), QString(), u"separator"_s});
    main.append(others);

    QList<TagChipModel::Chip> characters;
    const QString seriesId = impliedSeriesId();
    if (m_manager && !seriesId.isEmpty()) {
        for (const APITag& tag : m_manager->childTags(seriesId)) {
            if (m_usedTagIds.contains(tag.id))
                characters.append({tag.id, tag.name, u"character"_s});
        }
    }
    m_mainChips.setChips(main);
    m_characterChips.setChips(characters);
    updateSelection();
}

void TagFilterChips::updateSelection()
{
    QSet<QString> lit;
    if (!m_selectedTagId.isEmpty())
        lit.insert(m_selectedTagId);
    if (const QString series = impliedSeriesId(); !series.isEmpty())
        lit.insert(series);
    m_mainChips.setSelectedIds(lit);
    m_characterChips.setSelectedIds(m_selectedTagId.isEmpty() ? QSet<QString>() : QSet<QString>{m_selectedTagId});
}
