#pragma once

#include "DesktopPicture.h"

#include <QHash>
#include <QList>

// Desktop pictures held in memory, by display UUID, with every set recorded.
class FakeDesktopPicture final : public DesktopPicture
{
public:
    struct SetCall
    {
        QUrl url;
        QString displayUuid;
        DesktopPictureOptions options;
        bool operator==(const SetCall&) const = default;
    };

    std::optional<QUrl> desktopImageUrl(const ConnectedDisplay& display) const override;
    bool setDesktopImageUrl(const QUrl& url, const ConnectedDisplay& display, const DesktopPictureOptions& options,
        QString* error = nullptr) override;

    void setPicture(const QString& displayUuid, const QUrl& url) { m_pictures.insert(displayUuid, url); }
    std::optional<QUrl> picture(const QString& displayUuid) const;

    // Every later set fails with this error; an empty text makes sets succeed again.
    void failWith(const QString& error) { m_failure = error; }
    // When false, reading a picture gives none, as a system that does not report back.
    void setReadable(bool readable) { m_readable = readable; }

    QList<SetCall> setCalls() const { return m_setCalls; }

private:
    QHash<QString, QUrl> m_pictures;
    QList<SetCall> m_setCalls;
    QString m_failure;
    bool m_readable = true;
};
