#pragma once

#include <QString>

#include <optional>

// A program that starts when the user logs in.
class LoginItem
{
public:
    enum class Status { enabled, notRegistered };

    virtual ~LoginItem() = default;

    virtual Status status() const = 0;
    // The failure's description, or none.
    virtual std::optional<QString> registerItem() = 0;
    virtual std::optional<QString> unregisterItem() = 0;
};

// An XDG autostart entry, "<identifier>.desktop" in "autostart" of the
// desktop's configuration folder. It is enabled only while the file is exactly
// the entry this program writes, so an entry the desktop switched off, or one
// that names a program moved since, counts as not registered.
class AutostartLoginItem final : public LoginItem
{
public:
    AutostartLoginItem(QString identifier, QString name, QString programPath);

    QString entryPath() const { return m_entryPath; }

    Status status() const override;
    std::optional<QString> registerItem() override;
    std::optional<QString> unregisterItem() override;

private:
    std::optional<QByteArray> entry() const;

    QString m_name;
    QString m_programPath;
    QString m_entryPath;
};
