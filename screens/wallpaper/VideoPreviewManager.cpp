#include "VideoPreviewManager.h"

#include "MpvPlayerBackend.h"
#include "PlayerBackend.h"

#include <algorithm>

namespace {

PlayerBackendFactory*& installedFactory()
{
    static PlayerBackendFactory* factory = nullptr;
    return factory;
}

PlayerBackendFactory& playerFactory(bool everyFrame)
{
    static MpvPlayerBackendFactory mpv;
    static MpvPlayerBackendFactory mpvReferenceFrames(MpvCore::Frames::referencesOnSoftwarePath);
    if (PlayerBackendFactory* installed = installedFactory())
        return *installed;
    return everyFrame ? static_cast<PlayerBackendFactory&>(mpv) : mpvReferenceFrames;
}

} // namespace

VideoPreviewManager::VideoPreviewManager(QObject* parent) : QObject(parent)
{
    m_playTimeLeft.setSingleShot(true);
    connect(&m_playTimeLeft, &QTimer::timeout, this, [this] {
        if (!m_player)
            return;
        // The pass under way plays to its end, which holds its last frame.
        m_player->setLoopsWholeFile(false);
        setResting(true);
    });
}

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
    std::unique_ptr<PlayerBackend> player = playerFactory(m_decodesEveryFrame).create();
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
    startPlayTime();
}

void VideoPreviewManager::stop()
{
    m_urlWhileHidden.clear();
    m_url.clear();
    m_playTimeLeft.stop();
    setResting(false);
    if (std::unique_ptr<PlayerBackend> ending = std::move(m_player)) {
        ending->disconnect(this);
        ending->pause();
        // Views let go of it first; its core ends with it, or with the view's next frame.
        emit playerChanged();
    }
    setReadyToDisplay(false);
}

void VideoPreviewManager::setDecodesEveryFrame(bool every)
{
    if (m_decodesEveryFrame == every)
        return;
    m_decodesEveryFrame = every;
    emit decodesEveryFrameChanged();
}

void VideoPreviewManager::setPlayTime(int milliseconds)
{
    milliseconds = std::max(0, milliseconds);
    if (m_playTime == milliseconds)
        return;
    m_playTime = milliseconds;
    emit playTimeChanged();
    if (m_player && !m_isResting)
        startPlayTime();
}

void VideoPreviewManager::playOn()
{
    if (!m_player)
        return;
    if (m_isResting) {
        m_player->setLoopsWholeFile(true);
        if (m_player->rate() <= 0) { // the pass has ended
            m_player->seekExactly(0);
            m_player->play();
        }
    }
    startPlayTime();
}

void VideoPreviewManager::startPlayTime()
{
    setResting(false);
    if (m_playTime > 0)
        m_playTimeLeft.start(m_playTime);
    else
        m_playTimeLeft.stop();
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

void VideoPreviewManager::setResting(bool resting)
{
    if (m_isResting == resting)
        return;
    m_isResting = resting;
    emit isRestingChanged();
}
