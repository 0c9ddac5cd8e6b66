#include "FakeDesktopPicture.h"

std::optional<QUrl> FakeDesktopPicture::desktopImageUrl(const ConnectedDisplay& display) const
{
    if (!m_readable)
        return std::nullopt;
    return picture(display.uuid);
}

std::optional<QUrl> FakeDesktopPicture::picture(const QString& displayUuid) const
{
    const auto it = m_pictures.constFind(displayUuid);
    if (it == m_pictures.cend())
        return std::nullopt;
    return *it;
}

bool FakeDesktopPicture::setDesktopImageUrl(
    const QUrl& url, const ConnectedDisplay& display, const DesktopPictureOptions& options, QString* error)
{
    m_setCalls.append({ url, display.uuid, options });
    if (!m_failure.isEmpty()) {
        if (error != nullptr)
            *error = m_failure;
        return false;
    }
    if (isClearingUrl(url))
        m_pictures.remove(display.uuid);
    else
        m_pictures.insert(display.uuid, url);
    return true;
}
