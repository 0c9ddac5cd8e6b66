#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh, empty home folder for the life of the object: UserHome points at it
// in this process, and back at the real home afterwards. The desktop's data and
// configuration folders ($XDG_DATA_HOME, $XDG_CONFIG_HOME) are its default ones
// meanwhile, so nothing reaches the real ones.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();

    QString path() const { return m_dir.path(); }
    // A path below the home folder.
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }
    // "Library/Application Support/Lanto" below the home folder.
    QString appSupportPath() const { return filePath(QStringLiteral("Library/Application Support/Lanto")); }

private:
    QTemporaryDir m_dir;
};
