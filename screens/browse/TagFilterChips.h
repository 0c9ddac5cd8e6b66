#pragma once

#include "TagChipModel.h"
#include "WallpaperManager.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QAbstractItemModel;

// What the tag filter bar offers for a list of wallpapers: the series, theme
// and scene tags that occur in it, the characters of the selected series, and
// the selection each chip leads to. It keeps no selection of its own.
class TagFilterChips : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    Q_PROPERTY(QAbstractItemModel* wallpapers READ wallpapers WRITE setWallpapers NOTIFY wallpapersChanged)
    // Empty for none.
    Q_PROPERTY(QString selectedTagId READ selectedTagId WRITE setSelectedTagId NOTIFY selectedTagIdChanged)
    Q_PROPERTY(QString impliedSeriesId READ impliedSeriesId NOTIFY selectedTagIdChanged)
    Q_PROPERTY(TagChipModel* mainChips READ mainChips CONSTANT)
    Q_PROPERTY(TagChipModel* characterChips READ characterChips CONSTANT)

public:
    explicit TagFilterChips(QObject* parent = nullptr);

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    QAbstractItemModel* wallpapers() const { return m_wallpapers; }
    void setWallpapers(QAbstractItemModel* wallpapers);
    QString selectedTagId() const { return m_selectedTagId; }
    void setSelectedTagId(const QString& tagId);
    // The series the selection belongs to: itself, or a character's series.
    QString impliedSeriesId() const;
    TagChipModel* mainChips() { return &m_mainChips; }
    TagChipModel* characterChips() { return &m_characterChips; }

    // The selection after a click on ...
    // ... the main row's "All" chip.
    Q_INVOKABLE QString afterAll() const { return QString(); }
    // ... a series, theme or scene chip.
    Q_INVOKABLE QString afterMainChip(const QString& tagId) const;
    // ... the character row's "All" chip.
    Q_INVOKABLE QString afterCharacterAll() const { return impliedSeriesId(); }
    Q_INVOKABLE QString afterCharacter(const QString& tagId) const;

signals:
    void managerChanged();
    void wallpapersChanged();
    void selectedTagIdChanged();

private:
    void updateUsedTags();
    void updateChips();
    void updateSelection();
    QList<TagChipModel::Chip> tagsInGroup(const QString& group) const;

    QPointer<WallpaperManager> m_manager;
    QPointer<QAbstractItemModel> m_wallpapers;
    QString m_selectedTagId;
    QSet<QString> m_usedTagIds;
    TagChipModel m_mainChips;
    TagChipModel m_characterChips;
};
