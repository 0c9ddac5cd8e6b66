#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class AuthService;
class LantoAPIClient;
class LantoSettings;
class WallpaperManager;

// The profile editor's state and its save: the name and picture apply here at
// once, then the picture is uploaded and the name sent in a task owned by the
// account, which outlives the editor. Main thread.
class ProfileEditor : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QImage avatarImage READ avatarImage NOTIFY avatarImageChanged)
    Q_PROPERTY(bool hasAvatarImage READ hasAvatarImage NOTIFY avatarImageChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY nameChanged)

public:
    struct Services
    {
        AuthService* auth = nullptr;
        LantoAPIClient* client = nullptr;
        LantoSettings* settings = nullptr;
        WallpaperManager* manager = nullptr;
    };

    static constexpr int jpegQuality = 85;

    // Over the environment's objects.
    explicit ProfileEditor(QObject* parent = nullptr);
    ProfileEditor(const Services& services, QObject* parent);

    // Spaces and tabs off both ends; line breaks stay.
    static QString trimmed(const QString& name);

    QString name() const { return m_name; }
    void setName(const QString& name);
    QImage avatarImage() const { return m_avatarImage; }
    bool hasAvatarImage() const { return !m_avatarImage.isNull(); }
    bool canSave() const { return !trimmed(m_name).isEmpty(); }

    // Reads the chosen file off the main thread; a file that is no picture changes nothing.
    Q_INVOKABLE void pickAvatarFile(const QUrl& file);
    // False, changing nothing, for a blank name; true once saving has started.
    Q_INVOKABLE bool save();

signals:
    void nameChanged();
    void avatarImageChanged();

private:
    Services m_services;
    QString m_name;
    QImage m_avatarImage;
};
