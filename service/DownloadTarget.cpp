#include "DownloadTarget.h"

#include <QDir>
#include <QSaveFile>

#include <utility>

DownloadTarget::DownloadTarget(const QString& folder, const QString& filePath)
    : m_folder(folder), m_filePath(filePath), m_file(std::make_unique<QSaveFile>(filePath))
{
}

DownloadTarget::~DownloadTarget() { discard(); }

std::unique_ptr<DownloadTarget> DownloadTarget::open(const QString& folder, const QString& fileName, QString* error)
{
    std::unique_ptr<DownloadTarget> target(new DownloadTarget(folder, QDir(folder).filePath(fileName)));
    // A folder that cannot be made fails the open with the reason.
    QDir().mkpath(folder);
    if (target->m_file->open(QIODevice::WriteOnly))
        return target;
    *error = target->m_file->errorString();
    target->m_settled = true;
    QDir().rmdir(folder);
    return nullptr;
}

QIODevice* DownloadTarget::device() const { return m_file.get(); }

bool DownloadTarget::commit(QString* error)
{
    if (std::exchange(m_settled, true))
        return false;
    if (m_file->commit())
        return true;
    *error = m_file->errorString();
    QDir().rmdir(m_folder);
    return false;
}

void DownloadTarget::discard()
{
    if (std::exchange(m_settled, true))
        return;
    // A cancelled save file removes its temporary file on commit and stays a
    // closed device, so a transfer still holding it writes nowhere.
    m_file->cancelWriting();
    m_file->commit();
    // rmdir removes only an empty folder: one that held a wallpaper before
    // this attempt, or is being written by another, keeps what it has.
    QDir().rmdir(m_folder);
}
