// A preview with a play time loops that long, then lets its pass play to the
// end and rests on the last frame, still shown; playing on, another video or
// the window shown again make it loop afresh for another play time.
#include "FakePlayerBackend.h"
#include "VideoPreviewManager.h"
#include "VirtualScheduler.h"

#include <QTest>

using Resume = std::function<void(VideoPreviewManager&)>;
Q_DECLARE_METATYPE(Resume)

namespace {

const QUrl clip = QUrl::fromLocalFile(QStringLiteral("/videos/preview.mp4"));
const QUrl otherClip = QUrl::fromLocalFile(QStringLiteral("/videos/other.mp4"));
constexpr int playTime = 40; // ms
constexpr auto pass = std::chrono::seconds(10); // the fake's media length

} // namespace

class tst_PreviewPlayTime : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void restsOnItsLastFrameAfterThePlayTime();
    void loopsAfreshWhenItComesBack_data();
    void loopsAfreshWhenItComesBack();

private:
    FakePlayerBackend* player(const VideoPreviewManager& preview) const
    {
        return static_cast<FakePlayerBackend*>(preview.player());
    }
    // Loads the clip and lets it come to rest at the end of its pass.
    void playUntilRest(VideoPreviewManager& preview);

    std::unique_ptr<VirtualScheduler> m_clock;
    std::unique_ptr<FakePlayerBackendFactory> m_players;
};

void tst_PreviewPlayTime::init()
{
    m_clock = std::make_unique<VirtualScheduler>();
    m_players = std::make_unique<FakePlayerBackendFactory>(*m_clock);
    VideoPreviewManager::installPlayerFactory(m_players.get());
}

void tst_PreviewPlayTime::cleanup()
{
    VideoPreviewManager::installPlayerFactory(nullptr);
    m_players.reset();
    m_clock.reset();
}

void tst_PreviewPlayTime::playUntilRest(VideoPreviewManager& preview)
{
    preview.setPlayTime(playTime);
    preview.load(clip);
    m_clock->advance(std::chrono::seconds(1)); // loaded and playing
    QVERIFY(preview.isReadyToDisplay());
    QVERIFY(player(preview)->loopsWholeFile());
    QVERIFY(!preview.isResting());
    QTRY_VERIFY(preview.isResting());
    // The pass under way is not cut short.
    QCOMPARE(player(preview)->rate(), 1.0);
    QVERIFY(!player(preview)->loopsWholeFile());
    m_clock->advance(pass);
    QCOMPARE(player(preview)->rate(), 0.0);
}

void tst_PreviewPlayTime::restsOnItsLastFrameAfterThePlayTime()
{
    VideoPreviewManager preview;
    playUntilRest(preview);
    // Resting shows the last frame: the player stays, and so does the picture.
    QVERIFY(preview.hasPlayer());
    QVERIFY(preview.isReadyToDisplay());
    QCOMPARE(player(preview)->currentTime().value_or(-1), 10.0);
    QCOMPARE(m_players->alive(), 1);
}

void tst_PreviewPlayTime::loopsAfreshWhenItComesBack_data()
{
    QTest::addColumn<Resume>("resume");
    QTest::addColumn<QUrl>("playing");
    QTest::newRow("played on") << Resume([](VideoPreviewManager& preview) { preview.playOn(); }) << clip;
    QTest::newRow("another video") << Resume([](VideoPreviewManager& preview) { preview.load(otherClip); })
                                   << otherClip;
    QTest::newRow("window shown again") << Resume([](VideoPreviewManager& preview) {
        preview.setWindowShown(false);
        preview.setWindowShown(true);
    }) << clip;
}

void tst_PreviewPlayTime::loopsAfreshWhenItComesBack()
{
    QFETCH(Resume, resume);
    QFETCH(QUrl, playing);
    VideoPreviewManager preview;
    playUntilRest(preview);

    resume(preview);
    m_clock->advance(std::chrono::seconds(1));
    QVERIFY(!preview.isResting());
    QCOMPARE(player(preview)->url(), playing);
    QCOMPARE(player(preview)->rate(), 1.0);
    QCOMPARE(player(preview)->timeControlStatus(), PlayerBackend::TimeControlStatus::playing);
    QVERIFY(player(preview)->loopsWholeFile());
    // Looping again: a whole pass later it still plays.
    m_clock->advance(pass);
    QCOMPARE(player(preview)->rate(), 1.0);
    // And rests again after another play time.
    QTRY_VERIFY(preview.isResting());
}

QTEST_MAIN(tst_PreviewPlayTime)
#include "tst_previewplaytime.moc"
