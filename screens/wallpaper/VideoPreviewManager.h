#pragma once

#include <QObject>
#include <QSize>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>

class PlayerBackend;
class PlayerBackendFactory;

// A muted, looping preview of one video at a time, for the screen that owns
// it: load() replaces what plays, stop() ends it and frees its player. Callers
// keep their still picture until isReadyToDisplay. A video that cannot play
// simply never becomes ready. While the window showing it is hidden the
// preview is stopped; shown again, it starts the same video over. Main thread.
class VideoPreviewManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool hasPlayer READ hasPlayer NOTIFY playerChanged)
    Q_PROPERTY(bool isReadyToDisplay READ isReadyToDisplay NOTIFY isReadyToDisplayChanged)
    // Frames are decoded at most this large (proportions kept); empty: as the file is.
    Q_PROPERTY(QSize maximumVideoSize READ maximumVideoSize WRITE setMaximumVideoSize NOTIFY maximumVideoSizeChanged)

public:
    explicit VideoPreviewManager(QObject* parent = nullptr);
    ~VideoPreviewManager() override;

    // Where every preview's player comes from; null returns to libmpv. The
    // factory must outlive the previews it makes.
    static void installPlayerFactory(PlayerBackendFactory* factory);

    Q_INVOKABLE void load(const QUrl& url);
    Q_INVOKABLE void stop();
    // Whether the window of the view that shows the preview is on screen.
    void setWindowShown(bool shown);

    PlayerBackend* player() const { return m_player.get(); }
    bool hasPlayer() const { return m_player != nullptr; }
    bool isReadyToDisplay() const { return m_isReadyToDisplay; }
    QSize maximumVideoSize() const { return m_maximumVideoSize; }
    void setMaximumVideoSize(const QSize& size);

signals:
    void playerChanged();
    void isReadyToDisplayChanged();
    void maximumVideoSizeChanged();

private:
    void setReadyToDisplay(bool ready);

    std::unique_ptr<PlayerBackend> m_player;
    QUrl m_url;
    // What played when the window was hidden; loaded again when it is shown.
    QUrl m_urlWhileHidden;
    bool m_isReadyToDisplay = false;
    QSize m_maximumVideoSize;
};
