#pragma once

#include <QObject>
#include <QSize>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>

class PlayerBackend;
class PlayerBackendFactory;

// A muted, looping preview of one video at a time, for the screen that owns
// it: load() replaces what plays, stop() ends it and frees its player. Callers
// keep their still picture until isReadyToDisplay. A video that cannot play
// simply never becomes ready. While the window showing it is hidden the
// preview is stopped; shown again, it starts the same video over.
//
// With a play time, a preview loops only that long after it starts (or plays
// on): then it lets the pass it is in play to its end and rests on its last
// frame until playOn(). Main thread.
class VideoPreviewManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool hasPlayer READ hasPlayer NOTIFY playerChanged)
    Q_PROPERTY(bool isReadyToDisplay READ isReadyToDisplay NOTIFY isReadyToDisplayChanged)
    // Frames are decoded at most this large (proportions kept); empty: as the file is.
    Q_PROPERTY(QSize maximumVideoSize READ maximumVideoSize WRITE setMaximumVideoSize NOTIFY maximumVideoSizeChanged)
    // False: where frames are drawn in memory, only the frames others are built
    // from are decoded (a less fluid picture for far less work). Takes effect
    // with the next load.
    Q_PROPERTY(bool decodesEveryFrame READ decodesEveryFrame WRITE setDecodesEveryFrame NOTIFY decodesEveryFrameChanged)
    // Milliseconds a preview loops before it comes to rest; 0 loops for ever.
    Q_PROPERTY(int playTime READ playTime WRITE setPlayTime NOTIFY playTimeChanged)
    // The play time has passed: the preview finishes its pass, or has finished it, and rests.
    Q_PROPERTY(bool isResting READ isResting NOTIFY isRestingChanged)

public:
    explicit VideoPreviewManager(QObject* parent = nullptr);
    ~VideoPreviewManager() override;

    // Where every preview's player comes from; null returns to libmpv. The
    // factory must outlive the previews it makes.
    static void installPlayerFactory(PlayerBackendFactory* factory);

    Q_INVOKABLE void load(const QUrl& url);
    Q_INVOKABLE void stop();
    // A resting preview loops again, from the start when its pass had ended,
    // for another play time; a playing one gets a fresh play time.
    Q_INVOKABLE void playOn();
    // Whether the window of the view that shows the preview is on screen.
    void setWindowShown(bool shown);

    PlayerBackend* player() const { return m_player.get(); }
    bool hasPlayer() const { return m_player != nullptr; }
    bool isReadyToDisplay() const { return m_isReadyToDisplay; }
    QSize maximumVideoSize() const { return m_maximumVideoSize; }
    void setMaximumVideoSize(const QSize& size);
    bool decodesEveryFrame() const { return m_decodesEveryFrame; }
    void setDecodesEveryFrame(bool every);
    int playTime() const { return m_playTime; }
    void setPlayTime(int milliseconds);
    bool isResting() const { return m_isResting; }

signals:
    void playerChanged();
    void isReadyToDisplayChanged();
    void maximumVideoSizeChanged();
    void decodesEveryFrameChanged();
    void playTimeChanged();
    void isRestingChanged();

private:
    void setReadyToDisplay(bool ready);
    void setResting(bool resting);
    void startPlayTime();

    std::unique_ptr<PlayerBackend> m_player;
    QUrl m_url;
    // What played when the window was hidden; loaded again when it is shown.
    QUrl m_urlWhileHidden;
    bool m_isReadyToDisplay = false;
    QSize m_maximumVideoSize;
    bool m_decodesEveryFrame = true;
    int m_playTime = 0;
    QTimer m_playTimeLeft;
    bool m_isResting = false;
};
