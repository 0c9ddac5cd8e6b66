#pragma once

#include "InstalledInstance.h"
#include <QLocale>

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;
class UserDefaults;

// The interface language: a locale identifier kept in the user defaults under
// "appLanguage", or the empty text to follow the system. Both windows read the
// locale and the layout direction from here. QML reaches the installed
// instance as the singleton AppLanguage. Main thread.
class AppLanguage : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(QLocale locale READ locale NOTIFY languageChanged)
    Q_PROPERTY(bool isRightToLeft READ isRightToLeft NOTIFY languageChanged)

public:
    static inline const QString key = QStringLiteral("appLanguage");

    static void install(AppLanguage* object) { InstalledInstance<AppLanguage>::install(object); }
    static AppLanguage* create(QQmlEngine* engine, QJSEngine* js)
    {
        return InstalledInstance<AppLanguage>::create(engine, js);
    }

    explicit AppLanguage(UserDefaults& defaults, QObject* parent = nullptr);

    QString language() const { return m_language; }
    void setLanguage(const QString& language);
    // The chosen language's locale, or the system's.
    QLocale locale() const;
    bool isRightToLeft() const { return locale().textDirection() == Qt::RightToLeft; }

signals:
    void languageChanged();

private:
    QString stored() const;
    // Makes the language the process's default locale.
    void takeEffect() const;

    UserDefaults& m_defaults;
    QString m_language;
};
