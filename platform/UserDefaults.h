#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

// The user's small preferences outside Settings.plist: the interface language
// and the update switches. One file in the user's config folder, rewritten
// whole on every change, which is told to observers. Main thread.
class UserDefaults : public QObject
{
    Q_OBJECT

public:
    // "~/.config/lanto/user-defaults.conf" below the user's real home, opened on first use.
    static UserDefaults& standard();

    explicit UserDefaults(const QString& path, QObject* parent = nullptr);

    bool contains(const QString& key) const;
    // None when the key is absent or holds no truth value.
    std::optional<bool> boolValue(const QString& key) const;
    // None when the key is absent.
    std::optional<QString> string(const QString& key) const;

    void setBool(const QString& key, bool value);
    void setString(const QString& key, const QString& value);

signals:
    void valueChanged(const QString& key);

private:
    void write(const QString& key, const QVariant& value);

    std::unique_ptr<QSettings> m_store;
};
