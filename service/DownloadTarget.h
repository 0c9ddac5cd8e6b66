#pragma once

#include <QString>

#include <memory>

class QIODevice;
class QSaveFile;

// Where one content download writes: a temporary file beside the target in
// the wallpaper's folder. Until commit() the target is untouched; an attempt
// that ends any other way (failed, refused, abandoned) takes away what it
// added: its temporary file, and the folder unless something else is in it.
class DownloadTarget
{
public:
    // Makes the folder when missing and opens the temporary file; nothing
    // (and nothing left on disk) when either fails, with the reason in error.
    static std::unique_ptr<DownloadTarget> open(const QString& folder, const QString& fileName, QString* error);
    ~DownloadTarget();

    DownloadTarget(const DownloadTarget&) = delete;
    DownloadTarget& operator=(const DownloadTarget&) = delete;

    QIODevice* device() const;
    QString filePath() const { return m_filePath; }
    // Puts the written file in place; on failure (error says why) nothing is left.
    bool commit(QString* error);
    // Drops what this attempt wrote. Does nothing once committed or discarded.
    void discard();

private:
    DownloadTarget(const QString& folder, const QString& filePath);

    QString m_folder;
    QString m_filePath;
    std::unique_ptr<QSaveFile> m_file;
    bool m_settled = false;
};
