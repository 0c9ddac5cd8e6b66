#pragma once

#include "DiskFloor.h"
#include "Refusal.h"

#include <QString>

class MediaStore;
class ServiceStore;

// What one account's unfinished work may take of the service's disk: its
// drafts, the files of its submissions that are not public, and the parts of
// multipart uploads it started and has not completed. Uploads nobody has
// touched for a day are abandoned and removed, and so are part folders that
// no upload owns. Whatever the accounts, the disk keeps its floor free.
class SubmissionSpace
{
public:
    SubmissionSpace(ServiceStore& store, MediaStore& media, DiskFloor floor)
        : m_store(store), m_media(media), m_floor(std::move(floor))
    {
    }

    static constexpr qint64 maximumDrafts = 20;
    static constexpr qint64 maximumOpenUploads = 6;
    static constexpr qint64 maximumBytes = qint64(8) * 1024 * 1024 * 1024;
    static constexpr qint64 abandonedAfterSeconds = 24 * 60 * 60;

    std::optional<Refusal> roomForDraft(const QString& userId) const;
    // Whether the account may store `adding` bytes more, in place of `replacing`,
    // and the disk has room for them besides what they replace.
    std::optional<Refusal> roomForBytes(const QString& userId, qint64 adding, qint64 replacing) const;
    // Whether the disk has room for that many bytes more.
    std::optional<Refusal> roomOnDisk(qint64 bytes) const { return m_floor.roomFor(bytes); }
    // Removes the account's least recently used unfinished uploads until one more fits.
    void makeRoomForUpload(const QString& userId);
    // Removes uploads untouched for longer than that; how many.
    int removeAbandoned(qint64 seconds = abandonedAfterSeconds);

private:
    bool removeUpload(const QString& uploadId);

    ServiceStore& m_store;
    MediaStore& m_media;
    DiskFloor m_floor;
};
