#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "WallpaperManager.h"

// The connected displays as the display preview shows them, in the library's
// order: each display's name, the wallpaper recorded on it (its preview colours
// and local thumbnail) and whether it is the chosen display.
class DisplayPreviewModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* wallpaperManager READ wallpaperManager WRITE setWallpaperManager NOTIFY wallpaperManagerChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        ScreenKeyRole = Qt::UserRole + 1,
        NameRole,
        PreviewColorsRole, // empty without a wallpaper
        ThumbnailURLRole, // empty without a local picture
        IsSelectedRole,
    };

    explicit DisplayPreviewModel(QObject* parent = nullptr);

    WallpaperManager* wallpaperManager() const { return m_manager; }
    void setWallpaperManager(WallpaperManager* manager);
    int count() const { return int(m_rows.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // A tile's click: its display becomes the target of the next apply.
    Q_INVOKABLE void select(int row);

signals:
    void wallpaperManagerChanged();
    void countChanged();

private:
    struct Row
    {
        QString screenKey;
        QString name;
        QVariantList previewColors;
        QUrl thumbnailURL;
        bool isSelected = false;
        bool operator==(const Row&) const = default;
    };

    QList<Row> buildRows() const;
    // Same displays: the changed rows alone, so tiles keep their state; otherwise a reset.
    void refresh();

    QPointer<WallpaperManager> m_manager;
    QList<Row> m_rows;
};
