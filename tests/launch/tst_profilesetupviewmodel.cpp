#include "AuthService.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "ProfileSetupViewModel.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "WebAuthSession.h"

#include <QtTest>

using namespace std::chrono_literals;
using Verdict = ProfileSetupViewModel::Verdict;

namespace {

class NoBrowser final : public WebAuthSession
{
public:
    bool open(const QUrl&) override { return true; }
};

FakeReply availability(bool available, const QJsonValue& reason = QJsonValue::Undefined)
{
    QJsonObject data { { "available", available } };
    if (!reason.isUndefined())
        data.insert("reason", reason);
    return FakeReply::ok(data);
}

const QJsonObject savedProfile { { "id", "u1" }, { "name", "Ada" }, { "handle", "ada" }, { "isVerified", false },
    { "wallpaperCount", 0 }, { "followerCount", 0 }, { "createdAt", "2024-01-01" } };

} // namespace

class TestProfileSetupViewModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void localRulesAskNothing();
    void oneRequestAfterTypingPauses();
    void checkAnswers_data();
    void checkAnswers();
    void answerForAnOlderHandleIsDropped();
    void save_data();
    void save();
    void editAfterAFailedSaveClearsTheMessage();
    void editDuringTheSaveKeepsTheSavedHandle();

private:
    // Types the handle, lets the pause pass and waits for the verdict.
    void typeAndCheck(const QString& handle);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<VirtualScheduler> m_writes;
    std::unique_ptr<VirtualScheduler> m_clock;
    std::unique_ptr<LantoSettings> m_settings;
    std::unique_ptr<FakeWebService> m_service;
    std::unique_ptr<LantoAPIClient> m_client;
    NoBrowser m_browser;
    std::unique_ptr<AuthService> m_auth;
    std::unique_ptr<ProfileSetupViewModel> m_model;
};

void TestProfileSetupViewModel::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_writes = std::make_unique<VirtualScheduler>();
    m_clock = std::make_unique<VirtualScheduler>();
    m_settings = std::make_unique<LantoSettings>(m_home->appSupportPath(), *m_writes);
    m_service = std::make_unique<FakeWebService>();
    m_service->requireBearer("tok");
    QVERIFY(SessionTokenStore::save("tok"));
    m_client = std::make_unique<LantoAPIClient>(m_service->baseURL());
    m_auth = std::make_unique<AuthService>(*m_client, *m_settings, m_browser);
    m_auth->setNeedsProfileSetup(true);
    m_model = std::make_unique<ProfileSetupViewModel>(*m_auth, *m_client, *m_settings, *m_clock);
}

void TestProfileSetupViewModel::cleanup()
{
    m_model.reset();
    m_auth.reset();
    m_client.reset();
    m_service.reset();
    m_settings.reset();
    m_clock.reset();
    m_writes.reset();
    m_home.reset();
}

void TestProfileSetupViewModel::typeAndCheck(const QString& handle)
{
    m_model->setHandle(handle);
    m_clock->advance(ProfileSetupViewModel::checkDelay);
    QTRY_VERIFY(!m_model->isChecking());
}

void TestProfileSetupViewModel::localRulesAskNothing()
{
    m_model->setHandle("9lives");
    QCOMPARE(m_model->verdict(), Verdict::Unavailable);
    QCOMPARE(m_model->availabilityReason().toString(), "Must start with a letter");
    m_model->setHandle("ab");
    QCOMPARE(m_model->availabilityReason().toString(), "Must be at least 3 characters");
    m_model->setHandle("");
    QCOMPARE(m_model->verdict(), Verdict::NoVerdict);
    QVERIFY(!m_model->isChecking());
    QVERIFY(!m_model->canContinue());
    m_clock->advance(1s);
    QCOMPARE(m_clock->pendingCount(), 0);
    QCOMPARE(m_service->requestCount(), 0);
}

void TestProfileSetupViewModel::oneRequestAfterTypingPauses()
{
    m_service->on("GET", "handles/check", availability(true));
    for (const char* typed : { "a", "Ad", "Ada", "Ada L", "Ada Lo" }) {
        m_model->setHandle(typed);
        m_clock->advance(200ms);
    }
    QCOMPARE(m_model->handle(), "adalo");
    QVERIFY(m_model->isChecking());
    m_clock->advance(300ms);
    QTRY_COMPARE(m_model->verdict(), Verdict::Available);
    QVERIFY(m_model->canContinue());
    const QList<FakeRequest> sent = m_service->requests("GET", "handles/check");
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.front().queryItems, (QList<std::pair<QString, QString>> { { "handle", "adalo" } }));
    QVERIFY(!sent.front().hasHeader("Authorization"));
}

void TestProfileSetupViewModel::checkAnswers_data()
{
    QTest::addColumn<FakeReply>("reply");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<QVariant>("reason");

    QTest::newRow("free") << availability(true) << Verdict::Available << QVariant();
    QTest::newRow("taken with reason") << availability(false, "Reserved") << Verdict::Unavailable << QVariant("Reserved");
    QTest::newRow("taken without reason") << availability(false) << Verdict::Unavailable << QVariant();
    QTest::newRow("server error") << FakeReply::json(500, QJsonObject {}) << Verdict::Unavailable
                                  << QVariant("Unable to check availability");
    QTest::newRow("envelope failure") << FakeReply::failure("nope") << Verdict::Unavailable
                                      << QVariant("Unable to check availability");
    QTest::newRow("connection dropped") << FakeReply::dropped() << Verdict::Unavailable
                                        << QVariant("Unable to check availability");
}

void TestProfileSetupViewModel::checkAnswers()
{
    QFETCH(FakeReply, reply);
    QFETCH(Verdict, verdict);
    QFETCH(QVariant, reason);
    m_service->on("GET", "handles/check", reply);
    typeAndCheck("ada");
    QCOMPARE(m_model->verdict(), verdict);
    QCOMPARE(m_model->availabilityReason(), reason);
    QCOMPARE(m_model->canContinue(), verdict == Verdict::Available);
}

void TestProfileSetupViewModel::answerForAnOlderHandleIsDropped()
{
    // The older handle's answer comes first and says "taken"; it must never show.
    m_service->on("GET", "handles/check", [](const FakeRequest& request) {
        return request.queryValue("handle") == "ada" ? availability(false) : availability(true).after(200ms);
    });
    QList<Verdict> shown;
    connect(m_model.get(), &ProfileSetupViewModel::verdictChanged, this, [&] { shown.append(m_model->verdict()); });
    m_model->setHandle("ada");
    m_clock->advance(ProfileSetupViewModel::checkDelay);
    m_model->setHandle("adam");
    m_clock->advance(ProfileSetupViewModel::checkDelay);
    QTRY_COMPARE(m_model->verdict(), Verdict::Available);
    QCOMPARE(m_service->requestCount("GET", "handles/check"), 2);
    QVERIFY(!shown.contains(Verdict::Unavailable));
}

void TestProfileSetupViewModel::save_data()
{
    QTest::addColumn<FakeReply>("reply");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QVariant>("reason");

    const QString generic = "Failed to save. Check your connection and try again.";
    QTest::newRow("accepted") << FakeReply::ok(savedProfile) << QString() << QVariant();
    QTest::newRow("400") << FakeReply::json(400, QJsonObject {})
                         << "Invalid handle format. Use 3-20 lowercase letters, numbers, or underscores." << QVariant();
    QTest::newRow("401") << FakeReply::json(401, QJsonObject {}) << "Session expired. Please sign in again." << QVariant();
    QTest::newRow("409") << FakeReply::json(409, QJsonObject {}) << QString()
                         << QVariant("This handle was just taken. Try another.");
    QTest::newRow("500") << FakeReply::json(500, QJsonObject {}) << u"Server error \u2014 please try again."_qs
                         << QVariant();
    QTest::newRow("503") << FakeReply::json(503, QJsonObject {}) << generic << QVariant();
    QTest::newRow("envelope failure") << FakeReply::failure("bad handle") << generic << QVariant();
    QTest::newRow("undecodable") << FakeReply::raw(200, "{") << generic << QVariant();
    QTest::newRow("dropped") << FakeReply::dropped() << generic << QVariant();
}

void TestProfileSetupViewModel::save()
{
    QFETCH(FakeReply, reply);
    QFETCH(QString, message);
    QFETCH(QVariant, reason);
    const bool accepted = message.isNull() && reason.isNull();
    m_service->on("GET", "handles/check", availability(true));
    m_service->on("PATCH", "me", reply);
    QSignalSpy completed(m_model.get(), &ProfileSetupViewModel::complete);
    typeAndCheck("ada");

    m_model->save();
    QVERIFY(m_model->isSaving());
    QVERIFY(!m_model->canContinue());
    QTRY_VERIFY(!m_model->isSaving());

    // The network stack may send a request again whose connection closed unanswered.
    const QList<FakeRequest> sent = m_service->requests("PATCH", "me");
    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.front().jsonBody(), (QJsonObject { { "handle", "ada" } }));
    QCOMPARE(m_model->errorMessage(), message);
    QCOMPARE(completed.size(), accepted ? 1 : 0);
    QCOMPARE(m_settings->string("handle").value_or(QString()), accepted ? "ada" : QString());
    QCOMPARE(m_auth->handle(), accepted ? "ada" : QString());
    QCOMPARE(m_auth->needsProfileSetup(), !accepted);
    if (!reason.isNull()) {
        QCOMPARE(m_model->verdict(), Verdict::Unavailable);
        QCOMPARE(m_model->availabilityReason(), reason);
    }
    // Only a failure that left the handle usable may be tried again.
    QCOMPARE(m_model->canContinue(), !accepted && reason.isNull());
    const int before = m_service->requestCount("PATCH", "me");
    m_model->save();
    QCOMPARE(m_model->isSaving(), !accepted && reason.isNull());
    QTRY_VERIFY(!m_model->isSaving());
    QCOMPARE(m_service->requestCount("PATCH", "me") > before, !accepted && reason.isNull());
}

void TestProfileSetupViewModel::editAfterAFailedSaveClearsTheMessage()
{
    m_service->on("GET", "handles/check", availability(true));
    m_service->on("PATCH", "me", FakeReply::json(500, QJsonObject {}));
    typeAndCheck("ada");
    m_model->save();
    QTRY_VERIFY(!m_model->errorMessage().isEmpty());
    m_model->setHandle("adam");
    QVERIFY(m_model->errorMessage().isEmpty());
}

void TestProfileSetupViewModel::editDuringTheSaveKeepsTheSavedHandle()
{
    m_service->on("GET", "handles/check", availability(true));
    m_service->on("PATCH", "me", FakeReply::ok(savedProfile).after(100ms));
    QSignalSpy completed(m_model.get(), &ProfileSetupViewModel::complete);
    typeAndCheck("ada");
    m_model->save();
    m_model->setHandle("adax");
    QVERIFY(completed.wait());
    QCOMPARE(m_auth->handle(), "ada");
    QCOMPARE(m_settings->string("handle"), "ada");
}

QTEST_GUILESS_MAIN(TestProfileSetupViewModel)
#include "tst_profilesetupviewmodel.moc"
