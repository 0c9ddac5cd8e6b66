// The client against the real local service: the whole road of an account
// and a submission, and a restart that keeps what the service answered.
#include "AuthService.h"
#include "FakeBrowser.h"
#include "LantoSettings.h"
#include "ServiceRig.h"
#include "SessionTokenStore.h"
#include "VirtualScheduler.h"

#include <QImage>
#include <QBuffer>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray jpeg()
{
    QImage picture(64, 36, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    return bytes;
}

// Bytes that differ at every offset, so a misplaced part shows.
QByteArray pattern(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 4093) & 0xFF);
    return bytes;
}

} // namespace

class TestLocalServiceFlow : public QObject
{
    Q_OBJECT

private slots:
    void webSignInThroughThePages();
    void handleFavouritesSubmissionAndReview();
    void restartKeepsWhatWasAnswered();
    void categoryListingPagesByTwenty();
    void usageEventsTagsAvatarAndFeed();

private:
    // Signs in through the service's pages as a browser would; the profile id.
    QString signIn(ServiceRig& rig, const QString& name);
    QString addPublicWallpaper(ServiceRig& rig, const QString& category, int n);
};

QString TestLocalServiceFlow::signIn(ServiceRig& rig, const QString& name)
{
    const Result<AuthCodeExchangeResponse> exchanged = [&] {
        const ServiceRig::Answer form = rig.fetch("POST", u"/auth/authorize"_s,
            "name=" + QUrl::toPercentEncoding(name) + "&action=continue&state=S&redirect_uri="
                + QUrl::toPercentEncoding(rig.service->origin() + u"/api/v1/auth/apple/callback"_s),
            { { "Content-Type", "application/x-www-form-urlencoded" } });
        const QString code = QUrlQuery(QUrl(QString::fromLatin1(form.header("Location")))).queryItemValue(u"code"_s);
        return *awaitFuture(rig.client->exchangeAuthCode(code));
    }();
    if (!exchanged)
        return {};
    SessionTokenStore::save(exchanged.value().sessionToken);
    return exchanged.value().profileId;
}

void TestLocalServiceFlow::webSignInThroughThePages()
{
    ServiceRig rig;
    VirtualScheduler writes;
    LantoSettings settings(rig.home.appSupportPath(), writes);
    FakeBrowser browser;
    AuthService::SignInAddresses addresses;
    addresses.authorizePage = QUrl(rig.service->origin() + u"/auth/authorize"_s);
    addresses.callbackFollowsService = true;
    AuthService auth(*rig.client, settings, browser, addresses);

    auth.beginSignIn();
    QCOMPARE(browser.opened.size(), 1);
    const QUrl page = browser.opened.first();
    const QUrlQuery asked(page);
    QCOMPARE(asked.queryItemValue(u"redirect_uri"_s, QUrl::FullyDecoded),
        rig.service->origin() + u"/api/v1/auth/apple/callback"_s);

    const ServiceRig::Answer form = rig.fetch("GET", page.path() + u'?' + page.query(QUrl::FullyEncoded));
    QCOMPARE(form.status, 200);
    QVERIFY(form.body.contains("Continue"));
    const QByteArray fields = "name=Ada+Lovelace&action=continue&state="
        + QUrl::toPercentEncoding(asked.queryItemValue(u"state"_s)) + "&redirect_uri="
        + QUrl::toPercentEncoding(asked.queryItemValue(u"redirect_uri"_s, QUrl::FullyDecoded));
    const ServiceRig::Answer posted
        = rig.fetch("POST", u"/auth/authorize"_s, fields, { { "Content-Type", "application/x-www-form-urlencoded" } });
    QCOMPARE(posted.status, 302);
    const QUrl callback(QString::fromLatin1(posted.header("Location")));
    QCOMPARE(callback.path(), u"/api/v1/auth/apple/callback"_s);
    const ServiceRig::Answer handOver = rig.fetch("GET", callback.path() + u'?' + callback.query(QUrl::FullyEncoded));
    QCOMPARE(handOver.status, 302);
    const QUrl lanto(QString::fromLatin1(handOver.header("Location")));
    QCOMPARE(lanto.scheme(), u"lanto"_s);

    auth.handleCallback(lanto);
    QTRY_VERIFY_WITH_TIMEOUT(auth.isSignedIn(), 20000);
    QCOMPARE(auth.displayName(), u"Ada Lovelace"_s);
    QVERIFY(auth.needsProfileSetup()); // a new account has no handle yet
    QCOMPARE(auth.handle(), QString());

    // The code is spent: handing the same URL over again signs nobody in.
    const Result<AuthCodeExchangeResponse> again
        = *awaitFuture(rig.client->exchangeAuthCode(QUrlQuery(lanto).queryItemValue(u"code"_s)));
    QVERIFY(!again);
    QCOMPARE(again.error().description(), u"HTTP error 400"_s);

    // Cancelling on the page hands an error back, not a code.
    const ServiceRig::Answer cancelled = rig.fetch("POST", u"/auth/authorize"_s,
        "action=cancel&state=S&redirect_uri=" + QUrl::toPercentEncoding(rig.service->origin() + u"/api/v1/auth/apple/callback"_s),
        { { "Content-Type", "application/x-www-form-urlencoded" } });
    QVERIFY(cancelled.header("Location").contains("error=user_cancelled_authorize"));
}

void TestLocalServiceFlow::handleFavouritesSubmissionAndReview()
{
    ServiceRig rig;
    const QString wallpaperId = addPublicWallpaper(rig, u"space"_s, 1);
    const QString profileId = signIn(rig, u"Grace"_s);
    QVERIFY(!profileId.isEmpty());

    QVERIFY(rig.await(rig.client->checkHandle(u"grace_h"_s)).available);
    QVERIFY(!rig.await(rig.client->checkHandle(u"g"_s)).available);
    ProfileChanges changes;
    changes.handle = u"grace_h"_s;
    QCOMPARE(rig.await(rig.client->updateProfile(changes)).handle, u"grace_h"_s);
    const HandleAvailability taken = rig.await(rig.client->checkHandle(u"GRACE_H"_s));
    QVERIFY(!taken.available);
    QVERIFY(taken.reason.has_value());

    rig.await(rig.client->addFavorite(wallpaperId));
    rig.await(rig.client->addFavorite(wallpaperId)); // twice is still one favourite
    QCOMPARE(rig.await(rig.client->fetchWallpaper(wallpaperId)).favoriteCount, 1);
    rig.await(rig.client->removeFavorite(wallpaperId));
    QCOMPARE(rig.await(rig.client->fetchWallpaper(wallpaperId)).favoriteCount, 0);

    const SubmissionCreateResponse created = rig.await(rig.client->createSubmission(
        SubmissionCreate { u"My Loop"_s, u"sciFi"_s, u"video"_s, 1920, 1080, 12 * 1024 * 1024 }));
    QCOMPARE(created.status, u"draft"_s);
    rig.await(rig.client->withTransientRetry<Done>(
        [&] { return rig.client->putSubmissionFile(created.id, u"thumbnail"_s, u"image/jpeg"_s, jpeg()); }));

    QTemporaryDir files;
    const QByteArray content = pattern(12 * 1024 * 1024 + 123); // three parts, the last short
    QFile contentFile(files.filePath(u"content.mov"_s));
    QVERIFY(contentFile.open(QIODevice::WriteOnly) && contentFile.write(content) == content.size());
    contentFile.close();
    QFile poster(files.filePath(u"Poster.png"_s));
    QVERIFY(poster.open(QIODevice::WriteOnly));
    QImage(32, 18, QImage::Format_RGB32).save(&poster, "PNG");
    poster.close();
    QList<double> progress;
    rig.await(rig.client->uploadSubmissionFile(created.id, u"poster"_s, poster.fileName(), u"image/png"_s));
    rig.await(rig.client->uploadSubmissionFile(created.id, u"content"_s, contentFile.fileName(), u"video/quicktime"_s,
        [&](double fraction) { progress.append(fraction); }));
    QCOMPARE(progress.size(), 3);
    QCOMPARE(progress.last(), 1.0);

    rig.await(rig.client->submitSubmission(created.id));
    QList<APIWallpaper> mine = rig.await(rig.client->fetchMyWallpapers()).wallpapers;
    QCOMPARE(mine.size(), 1);
    QCOMPARE(mine.first().status, u"pending"_s);
    QCOMPARE(mine.first().fileSize, content.size());
    QVERIFY(!awaitFuture(rig.client->fetchWallpaper(created.id))->operator bool()); // not public yet

    QVERIFY(rig.service->submissions().review(created.id, true));
    mine = rig.await(rig.client->fetchMyWallpapers()).wallpapers;
    QCOMPARE(mine.first().status, u"approved"_s);
    const APIWallpaper published = rig.await(rig.client->fetchWallpaper(created.id));
    QCOMPARE(published.profile.id, profileId);
    QVERIFY(rig.await(rig.client->fetchDiscover()).newThisWeek.contains(published));

    // The assembled file is the one sent, byte for byte, also in a range.
    const QString contentPath = QUrl(published.contentPath).path();
    QCOMPARE(rig.fetch("GET", contentPath).body, content);
    const ServiceRig::Answer slice
        = rig.fetch("GET", contentPath, {}, { { "Range", "bytes=5242870-5242899" } });
    QCOMPARE(slice.status, 206);
    QCOMPARE(slice.body, content.mid(5242870, 30));
    QCOMPARE(slice.header("Content-Range"), "bytes 5242870-5242899/" + QByteArray::number(content.size()));

    rig.await(rig.client->deleteSubmission(created.id));
    QVERIFY(rig.await(rig.client->fetchMyWallpapers()).wallpapers.isEmpty());
    QCOMPARE(rig.fetch("GET", contentPath).status, 404);
}

void TestLocalServiceFlow::restartKeepsWhatWasAnswered()
{
    ServiceRig rig;
    const QString wallpaperId = addPublicWallpaper(rig, u"nature"_s, 1);
    signIn(rig, u"Linus"_s);
    ProfileChanges changes;
    changes.handle = u"linus"_s;
    changes.name = u"Linus T."_s;
    rig.await(rig.client->updateProfile(changes));
    rig.await(rig.client->addFavorite(wallpaperId));
    const SubmissionCreateResponse created = rig.await(rig.client->createSubmission(
        SubmissionCreate { u"Kept"_s, u"nature"_s, u"image"_s, 100, 100, 10 }));

    rig.restart();

    const UserProfile profile = rig.await(rig.client->fetchProfile()); // the session survived
    QCOMPARE(profile.handle, u"linus"_s);
    QCOMPARE(profile.name, u"Linus T."_s);
    QCOMPARE(rig.await(rig.client->fetchWallpaper(wallpaperId)).favoriteCount, 1);
    const QList<APIWallpaper> mine = rig.await(rig.client->fetchMyWallpapers()).wallpapers;
    QCOMPARE(mine.size(), 1);
    QCOMPARE(mine.first().id, created.id);
    // Addresses follow the port the service listens on now.
    QVERIFY(rig.await(rig.client->fetchWallpaper(wallpaperId)).contentPath.startsWith(rig.service->origin()));
}

void TestLocalServiceFlow::categoryListingPagesByTwenty()
{
    ServiceRig rig;
    for (int n = 0; n < 21; ++n)
        addPublicWallpaper(rig, u"anime"_s, n);
    addPublicWallpaper(rig, u"movies"_s, 99);
    const QList<APIWallpaper> all = rig.await(rig.client->fetchWallpapers(u"anime"_s));
    QCOMPARE(all.size(), 21);
    QSet<QString> ids;
    for (const APIWallpaper& w : all)
        ids.insert(w.id);
    QCOMPARE(ids.size(), 21);
    const ServiceRig::Answer second = rig.fetch("GET", u"/api/v1/wallpapers?category=anime&page=2"_s);
    QCOMPARE(QJsonDocument::fromJson(second.body)["data"]["wallpapers"].toArray().size(), 1);
    QCOMPARE(QJsonDocument::fromJson(second.body)["data"]["page"].toInt(), 2);
}

void TestLocalServiceFlow::usageEventsTagsAvatarAndFeed()
{
    ServiceRig rig;
    const QString id = addPublicWallpaper(rig, u"gaming"_s, 1);
    for (auto event : { LantoAPIClient::UsageEvent::download, LantoAPIClient::UsageEvent::download,
             LantoAPIClient::UsageEvent::apply, LantoAPIClient::UsageEvent::remove })
        rig.await(rig.client->recordEvent(event, id));
    const APIWallpaper counted = rig.await(rig.client->fetchWallpaper(id));
    QCOMPARE(counted.downloadCount, 2);
    QCOMPARE(counted.applyCount, 1);
    QCOMPARE(counted.trendCount.value_or(-1), 4);

    rig.service->catalogue().addTag({ u"s1"_s, u"Series"_s, u"series"_s, 1, std::nullopt });
    rig.service->catalogue().addTag({ u"c1"_s, u"Character"_s, u"character"_s, 1, u"s1"_s });
    const LantoAPIClient::TagCatalogue tags = rig.await(rig.client->fetchTags());
    QCOMPARE(tags.keys(), (QStringList { u"character"_s, u"series"_s }));
    QCOMPARE(tags[u"character"_s].first().parentId.value_or(QString()), u"s1"_s);

    signIn(rig, u"Ada"_s);
    const QString avatar = rig.await(rig.client->uploadAvatar(jpeg(), u"image/jpeg"_s));
    QCOMPARE(rig.await(rig.client->fetchProfile()).avatarUrl, avatar);
    const ServiceRig::Answer picture = rig.fetch("GET", QUrl(avatar).path());
    QCOMPARE(picture.header("Content-Type"), "image/jpeg"_ba);
    QCOMPARE(picture.body, jpeg());
    const Result<QString> notAPicture = *awaitFuture(rig.client->uploadAvatar("hello", u"image/jpeg"_s));
    QCOMPARE(notAPicture.error().description(), u"HTTP error 415"_s);

    const ServiceRig::Answer feed = rig.fetch("GET", u"/appcast.xml"_s);
    QVERIFY(feed.body.contains("<sparkle:shortVersionString>0.1.0</sparkle:shortVersionString>"));
}

QString TestLocalServiceFlow::addPublicWallpaper(ServiceRig& rig, const QString& category, int n)
{
    rig.service->accounts().addCreator(u"c1"_s, u"Creator"_s, u"creator"_s, u"112233"_s, true, 5);
    WallpaperEntry entry;
    entry.id = ServiceStore::randomHex(12);
    entry.ownerId = u"c1"_s;
    entry.title = u"Wallpaper "_s + QString::number(n);
    entry.type = u"video"_s;
    entry.category = category;
    entry.width = 640;
    entry.height = 360;
    entry.status = u"approved"_s;
    entry.mediaId = entry.id;
    rig.service->media().writeFile(entry.id, u"content.mov"_s, "movie");
    rig.service->store().run(u"INSERT INTO media_files VALUES (?, 'content', 'content.mov', 'video/quicktime', 5)"_s,
        { entry.id });
    if (!rig.service->catalogue().add(entry))
        qFatal("cannot add a wallpaper");
    return entry.id;
}

QTEST_GUILESS_MAIN(TestLocalServiceFlow)
#include "tst_localserviceflow.moc"
