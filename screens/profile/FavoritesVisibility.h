#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class LantoSettings;

// The switch that says whether the user's favourites are public: read once
// from the settings, remembered there when toggled, sent nowhere.
class FavoritesVisibility : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool isPublic READ isPublic NOTIFY isPublicChanged)

public:
    // Over the environment's settings.
    explicit FavoritesVisibility(QObject* parent = nullptr);
    FavoritesVisibility(LantoSettings* settings, QObject* parent);

    bool isPublic() const { return m_isPublic; }
    Q_INVOKABLE void toggle();

signals:
    void isPublicChanged();

private:
    LantoSettings* m_settings;
    bool m_isPublic = false;
};
