#pragma once

#include "APIModels.h"
#include "Refusal.h"
#include "SubmissionSpace.h"

#include <QByteArray>
#include <QString>

class MediaStore;
class ServiceStore;

// The signed-in user's own submissions: creating one, its four file slots
// (one PUT each, or a multipart upload of 5 MiB parts), handing it in for
// review, the review itself, and deleting it.
class Submissions
{
public:
    Submissions(ServiceStore& store, MediaStore& media, DiskFloor floor)
        : m_store(store), m_media(media), m_space(store, media, std::move(floor))
    {
    }

    static constexpr qint64 partSize = 5 * 1024 * 1024;
    // Files up to 4 GiB.
    static constexpr qint64 maximumParts = 820;

    SubmissionSpace& space() { return m_space; }

    Checked<SubmissionCreateResponse> create(const QString& userId, const SubmissionCreate& submission);
    // The submission's files go into its slots while it is a draft.
    Checked<SubmissionUploadResponse> putFile(const QString& userId, const QString& id, const QString& slot,
        const QByteArray& contentType, const QByteArray& bytes);

    Checked<MultipartInitResponse> startUpload(
        const QString& userId, const QString& id, const QString& slot, const QByteArray& contentType);
    // Parts may come in any order, and again; each must be at most one part size.
    Checked<PartResponse> putPart(const QString& userId, const QString& id, const QString& slot,
        const QString& uploadId, const QString& key, qint64 partNumber, const QByteArray& bytes);
    // Every part from 1 up must be listed with the etag it was given; all but
    // the last must be one part size. The whole is written beside its parts,
    // so the disk must have room for it first.
    Checked<CompleteResponse> completeUpload(
        const QString& userId, const QString& id, const QString& slot, const CompleteBody& body);

    // Needs the content, the poster and the thumbnail.
    Checked<SubmissionSubmitResponse> submit(const QString& userId, const QString& id);
    Checked<SubmissionDeleteResponse> remove(const QString& userId, const QString& id);

    // Decides a pending submission: "approved" or "rejected".
    Checked<QString> review(const QString& id, bool approve);
    // Approves every submission pending for at least that long; how many.
    int approvePendingOlderThan(qint64 seconds);

private:
    // The draft of that id owned by the user.
    std::optional<Refusal> checkDraft(const QString& userId, const QString& id) const;
    // The size of the file in a slot now; 0 when it is empty.
    qint64 slotSize(const QString& id, const QString& slot) const;
    // Points the slot at its new file, and removes the file it replaces.
    bool storeSlot(const QString& id, const QString& slot, const QString& fileName, const QString& contentType,
        qint64 size);

    ServiceStore& m_store;
    MediaStore& m_media;
    SubmissionSpace m_space;
};
