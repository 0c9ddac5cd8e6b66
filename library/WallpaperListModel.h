#pragma once

#include "LocaleName.h"

#include <QAbstractListModel>

#include <optional>
#include <QtQml/qqmlregistration.h>

class WallpaperList;

// The model a grid or row of wallpaper cards binds to. It adapts a
// WallpaperList without copying it and passes each of its changes on as row
// changes, so views keep their delegates and scroll position.
class WallpaperListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Lists come from the library")
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        HexIDRole,
        TitleRole, // in the user's language when the record has a title for it
        CreatorNameRole,
        CategoryRole, // display name
        TypeRole, // "image", "video" or "gradient"
        ResolutionTextRole,
        WidthRole,
        HeightRole,
        PreviewColorsRole,
        DownloadCountRole,
        FavoriteCountRole,
        IsNewRole,
        IsFeaturedRole,
        CloudIDRole,
        RemoteThumbnailURLRole,
        RemotePreviewClipURLRole,
        SubmissionStatusRole,
        WallpaperRole, // the whole record
    };
    Q_ENUM(Role)

    explicit WallpaperListModel(const WallpaperList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool loading() const { return m_loading; }
    void setLoading(bool loading);
    int count() const { return rowCount(); }

    // The language titles are shown in; the one chosen for the interface by default.
    void setLocale(const LocaleName& locale);

signals:
    void loadingChanged();
    void countChanged();

private:
    const WallpaperList& m_list;
    std::optional<LocaleName> m_locale;
    bool m_loading = false;
};
