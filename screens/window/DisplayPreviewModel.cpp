#include "DisplayPreviewModel.h"

#include "Rebind.h"
#include "WallpaperManager.h"

DisplayPreviewModel::DisplayPreviewModel(QObject* parent) : QAbstractListModel(parent) {}

void DisplayPreviewModel::setWallpaperManager(WallpaperManager* manager)
{
    if (m_manager)
        disconnect(m_manager->allWallpapers(), nullptr, this, nullptr);
    const bool changedManager = rebind(m_manager, manager, this, [this](WallpaperManager* added) {
        for (auto signal : {&WallpaperManager::connectedScreensChanged, &WallpaperManager::screenWallpapersChanged,
                            &WallpaperManager::selectedScreenKeyChanged, &WallpaperManager::downloadedChanged})
            connect(added, signal, this, &DisplayPreviewModel::refresh);
        // A record's colours or pictures may change with the catalogue.
        WallpaperListModel* all = added->allWallpapers();
        connect(all, &QAbstractItemModel::dataChanged, this, &DisplayPreviewModel::refresh);
        connect(all, &QAbstractItemModel::rowsInserted, this, &DisplayPreviewModel::refresh);
        connect(all, &QAbstractItemModel::rowsRemoved, this, &DisplayPreviewModel::refresh);
        connect(all, &QAbstractItemModel::modelReset, this, &DisplayPreviewModel::refresh);
    });
    if (!changedManager)
        return;
    refresh();
    emit wallpaperManagerChanged();
}

QList<DisplayPreviewModel::Row> DisplayPreviewModel::buildRows() const
{
    QList<Row> rows;
    if (!m_manager)
        return rows;
    const std::optional<QString> mainKey = m_manager->mainScreenKey();
    const std::optional<QString>& selectedKey = m_manager->selectedScreenKey();
    for (const ScreenModel& screen : m_manager->connectedScreens()) {
        Row row;
        row.screenKey = screen.id();
        row.name = row.screenKey == mainKey ? tr("Main Display") : screen.screenName;
        if (const std::optional<Wallpaper> wallpaper = m_manager->wallpaper(row.screenKey)) {
            row.previewColors = wallpaper->previewColorList();
            row.thumbnailURL = m_manager->files().localThumbnailURL(*wallpaper).value_or(QUrl());
        }
        row.isSelected = selectedKey == row.screenKey;
        rows.append(row);
    }
    return rows;
}

namespace {

// The keys of one list that the other holds too, in the first list's order.
QStringList sharedKeys(const QStringList& keys, const QStringList& others)
{
    QStringList shared;
    for (const QString& key : keys) {
        if (others.contains(key))
            shared.append(key);
    }
    return shared;
}

} // namespace

void DisplayPreviewModel::refresh()
{
    const QList<Row> rows = buildRows();
    const qsizetype before = m_rows.size();
    const auto keysOf = [](const QList<Row>& list) {
        QStringList keys;
        for (const Row& row : list)
            keys.append(row.screenKey);
        return keys;
    };
    const QStringList newKeys = keysOf(rows);
    const QStringList oldKeys = keysOf(m_rows);
    if (sharedKeys(oldKeys, newKeys) != sharedKeys(newKeys, oldKeys)) {
        // The displays kept changed their order: a rare case, rebuilt whole.
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else {
        // A display that comes or goes moves only its own tile.
        for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
            if (newKeys.contains(m_rows[i].screenKey))
                continue;
            beginRemoveRows({}, int(i), int(i));
            m_rows.removeAt(i);
            endRemoveRows();
        }
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (i == m_rows.size() || m_rows[i].screenKey != rows[i].screenKey) {
                beginInsertRows({}, int(i), int(i));
                m_rows.insert(i, rows[i]);
                endInsertRows();
            } else if (!(m_rows[i] == rows[i])) {
                m_rows[i] = rows[i];
                emit dataChanged(index(int(i)), index(int(i)));
            }
        }
    }
    if (m_rows.size() != before)
        emit countChanged();
}

int DisplayPreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant DisplayPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows.at(index.row());
    switch (role) {
    case ScreenKeyRole: return row.screenKey;
    case Qt::DisplayRole:
    case NameRole: return row.name;
    case PreviewColorsRole: return row.previewColors;
    case ThumbnailURLRole: return row.thumbnailURL;
    case IsSelectedRole: return row.isSelected;
    default: return {};
    }
}

QHash<int, QByteArray> DisplayPreviewModel::roleNames() const
{
    return {{ScreenKeyRole, "screenKey"},
            {NameRole, "name"},
            {PreviewColorsRole, "previewColors"},
            {ThumbnailURLRole, "thumbnailURL"},
            {IsSelectedRole, "isSelected"}};
}

void DisplayPreviewModel::select(int row)
{
    if (m_manager && row >= 0 && row < m_rows.size())
        m_manager->selectScreen(m_rows.at(row).screenKey);
}
