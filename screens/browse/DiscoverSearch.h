#pragma once

#include "WallpaperList.h"
#include "WallpaperListModel.h"
#include "WallpaperManager.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>


// The Discover page's search: whether the typed text searches at all, and the
// library's matches for it, following each keystroke and each library change.
class DiscoverSearch : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(bool isSearching READ isSearching NOTIFY isSearchingChanged)
    Q_PROPERTY(WallpaperListModel* results READ results CONSTANT)

public:
    explicit DiscoverSearch(QObject* parent = nullptr);

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    QString text() const { return m_text; }
    void setText(const QString& text);
    // Anything but spaces and tabs was typed.
    bool isSearching() const { return !m_query.isEmpty(); }
    WallpaperListModel* results() { return &m_resultsModel; }

signals:
    void managerChanged();
    void textChanged();
    void isSearchingChanged();

private:
    void update();

    QPointer<WallpaperManager> m_manager;
    QString m_text;
    QString m_query; // the text trimmed
    WallpaperList m_results;
    WallpaperListModel m_resultsModel{m_results};
};
