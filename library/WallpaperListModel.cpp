#include "WallpaperListModel.h"

#include "WallpaperList.h"

#include <QColor>
#include <QVariantList>

using namespace Qt::Literals::StringLiterals;

namespace {

QVariant optionalText(const std::optional<QString>& text)
{
    return text ? QVariant(*text) : QVariant();
}

} // namespace

WallpaperListModel::WallpaperListModel(const WallpaperList& list, QObject* parent)
    : QAbstractListModel(parent), m_list(list)
{
    connect(&list, &WallpaperList::aboutToReset, this, &WallpaperListModel::beginResetModel);
    connect(&list, &WallpaperList::didReset, this, [this] {
        endResetModel();
        emit countChanged();
    });
    connect(&list, &WallpaperList::aboutToInsert, this,
            [this](qsizetype first, qsizetype last) { beginInsertRows({}, int(first), int(last)); });
    connect(&list, &WallpaperList::didInsert, this, [this] {
        endInsertRows();
        emit countChanged();
    });
    connect(&list, &WallpaperList::aboutToRemove, this,
            [this](qsizetype first, qsizetype last) { beginRemoveRows({}, int(first), int(last)); });
    connect(&list, &WallpaperList::didRemove, this, [this] {
        endRemoveRows();
        emit countChanged();
    });
    connect(&list, &WallpaperList::rowsChanged, this,
            [this](qsizetype first, qsizetype last) { emit dataChanged(index(int(first)), index(int(last))); });
}

int WallpaperListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_list.size());
}

QVariant WallpaperListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Wallpaper& w = m_list.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole: return w.localizedTitle(m_locale ? *m_locale : LocaleName::chosen());
    case IdRole: return w.id;
    case HexIDRole: return w.hexID();
    case CreatorNameRole: return w.creator().name;
    case CategoryRole: return rawValue(w.category());
    case TypeRole: return w.typeName();
    case ResolutionTextRole: return w.resolutionText();
    case WidthRole: return w.resolution().width();
    case HeightRole: return w.resolution().height();
    case PreviewColorsRole: {
        QVariantList colors;
        for (const QColor& color : w.previewColors())
            colors.append(color);
        return colors;
    }
    case DownloadCountRole: return w.downloadCount();
    case FavoriteCountRole: return w.favoriteCount();
    case IsNewRole: return w.isNew();
    case IsFeaturedRole: return w.isFeatured();
    case CloudIDRole: return optionalText(w.cloudID());
    case RemoteThumbnailURLRole: return optionalText(w.remoteThumbnailURL());
    case RemotePreviewClipURLRole: return optionalText(w.remotePreviewClipURL());
    case SubmissionStatusRole: return optionalText(w.submissionStatus());
    case WallpaperRole: return QVariant::fromValue(w);
    }
    return {};
}

QHash<int, QByteArray> WallpaperListModel::roleNames() const
{
    return {
        {IdRole, "wallpaperId"},
        {HexIDRole, "hexID"},
        {TitleRole, "title"},
        {CreatorNameRole, "creatorName"},
        {CategoryRole, "category"},
        {TypeRole, "type"},
        {ResolutionTextRole, "resolutionText"},
        {WidthRole, "resolutionWidth"},
        {HeightRole, "resolutionHeight"},
        {PreviewColorsRole, "previewColors"},
        {DownloadCountRole, "downloadCount"},
        {FavoriteCountRole, "favoriteCount"},
        {IsNewRole, "isNew"},
        {IsFeaturedRole, "isFeatured"},
        {CloudIDRole, "cloudID"},
        {RemoteThumbnailURLRole, "remoteThumbnailURL"},
        {RemotePreviewClipURLRole, "remotePreviewClipURL"},
        {SubmissionStatusRole, "submissionStatus"},
        {WallpaperRole, "wallpaper"},
    };
}

void WallpaperListModel::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    emit loadingChanged();
}

void WallpaperListModel::setLocale(const LocaleName& locale)
{
    m_locale = locale;
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole, TitleRole});
}
