#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "AppState.h"

// The sidebar's rows: which sections sit on top, and what a tap on a row does.
class SidebarNavigation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged)
    Q_PROPERTY(QStringList topSections READ topSections CONSTANT)

public:
    explicit SidebarNavigation(QObject* parent = nullptr);

    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    // Every section but the profile and the settings, in order; those two sit at the bottom.
    QStringList topSections() const;

    // Closes any open wallpaper and creator page, then shows the section,
    // also when it is already shown.
    Q_INVOKABLE void select(const QString& section);

signals:
    void appStateChanged();

private:
    QPointer<AppState> m_appState;
};
