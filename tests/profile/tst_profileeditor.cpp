#include "AuthService.h"
#include "LibraryRig.h"
#include "LogCapture.h"
#include "ProfileEditor.h"
#include "SessionTokenStore.h"
#include "TestPictures.h"
#include "WebAuthSession.h"

#include <QTest>

// Saving the profile: local first, then the picture and the name to the service.
class ProfileEditorTest : public QObject
{
    Q_OBJECT

    class Browser final : public WebAuthSession
    {
    public:
        bool open(const QUrl&) override { return true; }
    };

    struct Rig
    {
        bool signIn()
        {
            library.settings.set(SettingsKey::appleUserID, PlistValue(QStringLiteral("apple-1")));
            library.settings.set(SettingsKey::profileId, PlistValue(QStringLiteral("00112233445566778899aabb")));
            library.web.on("GET", "me", FakeReply::failure("not now", 500));
            library.web.on("PATCH", "me",
                FakeReply::ok(QJsonObject { { "id", "00112233445566778899aabb" }, { "name", "Ada K." },
                    { "isVerified", false }, { "wallpaperCount", 0 }, { "followerCount", 0 },
                    { "createdAt", "2026-01-01T00:00:00Z" } }));
            return SessionTokenStore::save(QStringLiteral("token"));
        }
        ProfileEditor::Services services() { return { &auth, &library.client, &library.settings, library.manager.get() }; }

        LibraryRig library;
        bool signedIn = signIn();
        Browser browser;
        AuthService auth { library.client, library.settings, browser };
    };

    static QImage picture()
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    }

private slots:
    void savesLocallyThenSendsPictureAndName()
    {
        Rig rig;
        rig.library.web.on("POST", "me/avatar", FakeReply::ok(QJsonObject { { "avatarUrl", "https://cdn.example/a.jpg" } }));
        rig.library.start();
        ProfileEditor editor(rig.services(), nullptr);
        QTemporaryDir folder;
        const QString file = folder.filePath("me.png");
        QVERIFY(picture().save(file));
        editor.pickAvatarFile(QUrl::fromLocalFile(file));
        QTRY_VERIFY(editor.hasAvatarImage());

        editor.setName("  Ada King\t");
        QVERIFY(editor.save());
        QCOMPARE(rig.auth.displayName(), QString("Ada King"));
        QCOMPARE(rig.library.settings.string(SettingsKey::appleDisplayName), QString("Ada King"));
        QCOMPARE(rig.auth.localAvatarImage().size(), QSize(64, 48));

        QTRY_COMPARE(rig.auth.displayName(), QString("Ada K."));
        QVERIFY(rig.auth.avatarUrl().startsWith("https://cdn.example/a.jpg?t="));
        QCOMPARE(rig.library.settings.string(SettingsKey::avatarUrl), rig.auth.avatarUrl());
        QCOMPARE(rig.library.settings.string(SettingsKey::appleDisplayName), QString("Ada K."));
        const FakeRequest upload = rig.library.web.requests("POST", "me/avatar").value(0);
        QCOMPARE(upload.header("Content-Type"), QByteArray("image/jpeg"));
        QVERIFY(QImage::fromData(upload.body, "JPEG").size() == QSize(64, 48));
        QCOMPARE(rig.library.web.requests("PATCH", "me").value(0).jsonBody(), (QJsonObject { { "name", "Ada King" } }));
    }

    // A photo taken with the camera turned shows upright, at its full size.
    void aTurnedPhotoIsPickedUpright()
    {
        Rig rig;
        ProfileEditor editor(rig.services(), nullptr);
        QTemporaryDir folder;
        QFile photo(folder.filePath("IMG_0001.JPG"));
        QVERIFY(photo.open(QIODevice::WriteOnly));
        photo.write(TestPictures::jpegWithOrientation(QSize(64, 48), 6));
        photo.close();
        editor.pickAvatarFile(QUrl::fromLocalFile(photo.fileName()));
        QTRY_VERIFY(editor.hasAvatarImage());
        QCOMPARE(editor.avatarImage().size(), QSize(48, 64));
    }

    void withoutAPictureOnlyTheNameIsSent()
    {
        Rig rig;
        rig.library.start();
        ProfileEditor editor(rig.services(), nullptr);
        editor.setName("Ada");
        QVERIFY(editor.save());
        QTRY_COMPARE(rig.auth.displayName(), QString("Ada K."));
        QCOMPARE(rig.library.web.requestCount("POST", "me/avatar"), 0);
    }

    void aFailedUploadKeepsTheLocalChangeAndSendsNoName()
    {
        Rig rig;
        rig.library.web.on("POST", "me/avatar", FakeReply::failure("Too large", 413));
        rig.library.start();
        LogCapture log;
        ProfileEditor editor(rig.services(), nullptr);
        QTemporaryDir folder;
        QVERIFY(picture().save(folder.filePath("me.png")));
        editor.pickAvatarFile(QUrl::fromLocalFile(folder.filePath("me.png")));
        QTRY_VERIFY(editor.hasAvatarImage());
        editor.setName("Ada");
        QVERIFY(editor.save());
        QTRY_VERIFY(log.contains("Lanto: Failed to update profile — HTTP error 413"));
        QCOMPARE(rig.auth.displayName(), QString("Ada"));
        QCOMPARE(rig.library.web.requestCount("PATCH", "me"), 0);
    }

    void anAnswerAfterSignOutChangesNothing_data()
    {
        QTest::addColumn<bool>("withPicture");
        QTest::newRow("name only") << false;
        QTest::newRow("picture and name") << true;
    }
    void anAnswerAfterSignOutChangesNothing()
    {
        QFETCH(bool, withPicture);
        Rig rig;
        rig.library.web.on("POST", "me/avatar", FakeReply::ok(QJsonObject { { "avatarUrl", "https://cdn.example/a.jpg" } }));
        rig.library.start();
        const QByteArray sentFirst = withPicture ? "POST" : "PATCH";
        // The user signs out while the save's first request is on its way.
        connect(&rig.library.web, &FakeWebService::requestReceived, &rig.auth, [&](const FakeRequest& request) {
            if (request.method == sentFirst && rig.auth.isSignedIn())
                rig.auth.signOut();
        });
        ProfileEditor editor(rig.services(), nullptr);
        if (withPicture) {
            QTemporaryDir folder;
            QVERIFY(picture().save(folder.filePath("me.png")));
            editor.pickAvatarFile(QUrl::fromLocalFile(folder.filePath("me.png")));
            QTRY_VERIFY(editor.hasAvatarImage());
        }
        const auto pendingWork = [&] { return rig.auth.findChildren<QObject*>(Qt::FindDirectChildrenOnly).size(); };
        const qsizetype idle = pendingWork();
        editor.setName("Ada");
        QVERIFY(editor.save());
        QCOMPARE(pendingWork(), idle + 1);
        QTRY_VERIFY(!rig.auth.isSignedIn());
        // The save's task is gone: dropped at sign-out, or done with the answer.
        QTRY_COMPARE(pendingWork(), idle);

        QCOMPARE(rig.auth.displayName(), QString());
        QCOMPARE(rig.auth.avatarUrl(), QString());
        QVERIFY(!rig.library.settings.value(SettingsKey::appleDisplayName));
        QVERIFY(!rig.library.settings.value(SettingsKey::avatarUrl));
    }

    void aBlankNameSavesNothing()
    {
        Rig rig;
        ProfileEditor editor(rig.services(), nullptr);
        editor.setName(" \t ");
        QVERIFY(!editor.canSave());
        QVERIFY(!editor.save());
        QCOMPARE(rig.library.web.requestCount(), 0);
        editor.pickAvatarFile(QUrl::fromLocalFile("/nonexistent/x.png"));
        QVERIFY(!editor.hasAvatarImage());
    }
};

QTEST_GUILESS_MAIN(ProfileEditorTest)
#include "tst_profileeditor.moc"
