#include "VideoPreviewManager.h"

#include "MpvPlayerBackend.h"
#include "PlayerBackend.h"

namespace {

PlayerBackendFactory*& installedFactory()
{
    static PlayerBackendFactory* factory = nullptr;
    return factory;
}

PlayerBackendFactory& playerFactory()
{
    static MpvPlayerBackendFactory mpv;
    PlayerBackendFactory* installed = installedFactory();
    return installed ? *installed : mpv;
}

} // namespace

VideoPreviewManager::VideoPreviewManager(QObject* parent) : QObject(parent) { }

// A preview still playing ends with its owner.
VideoPreviewManager::~VideoPreviewManager() = default;

void VideoPreviewManager::installPlayerFactory(PlayerBackendFactory* factory) { installedFactory() = factory; }

void VideoPreviewManager::setMaximumVideoSize(const QSize& size)
{
    if (m_maximumVideoSize == size)
        return;
    m_maximumVideoSize = size;
    emit maximumVideoSizeChanged();
}

void VideoPreviewManager::load(const QUrl& url)
{
    stop();
    std::unique_ptr<PlayerBackend> player = playerFactory().create();
    PlayerBackend* raw = player.get();
    // Ready once the item has opened and plays, which is when its first frame can show.
    connect(raw, &PlayerBackend::timeControlStatusChanged, this, [this, raw] {
        if (raw == m_player.get() && raw->itemStatus() == PlayerBackend::ItemStatus::readyToPlay)
            setReadyToDisplay(true);
    });
    player->setLoopsWholeFile(true);
    const std::optional<QSize> cap = m_maximumVideoSize.isEmpty() ? std::nullopt : std::optional(m_maximumVideoSize);
    player->load(url, cap);
    m_player = std::move(player);
    m_url = url;
    emit playerChanged();
    m_player->play();
}

void VideoPreviewManager::stop()
{
    m_urlWhileHidden.clear();
    m_url.clear();
    if (std::unique_ptr<PlayerBackend> ending = std::move(m_player)) {
        ending->disconnect(this);
        ending->pause();
        // Views let go of it first; its core ends with it, or with the view's next frame.
        emit playerChanged();
    }
    setReadyToDisplay(false);
}

void VideoPreviewManager::setWindowShown(bool shown)
{
    if (!shown && m_player) {
        const QUrl playing = m_url;
        stop();
        m_urlWhileHidden = playing;
    } else if (shown && !m_urlWhileHidden.isEmpty()) {
        const QUrl url = m_urlWhileHidden; // load() forgets it
        load(url);
    }
}

void VideoPreviewManager::setReadyToDisplay(bool ready)
{
    if (m_isReadyToDisplay == ready)
        return;
    m_isReadyToDisplay = ready;
    emit isReadyToDisplayChanged();
}
