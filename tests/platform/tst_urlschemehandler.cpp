// One Lanto per session takes the "lanto" URLs of later launches over the
// session bus, and the application entry names it the scheme's handler.
#include "DesktopEntry.h"
#include "FakeSystemCommands.h"
#include "PrivateBus.h"
#include "SystemCommands.h"
#include "TemporaryHome.h"
#include "UrlSchemeHandler.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTest>

#include <future>

namespace {

// A later launch: its own connection, off the main thread, which must stay free to answer.
std::future<bool> laterLaunchHandsOff(const PrivateBus& session, const QStringList& urls)
{
    return std::async(std::launch::async, [address = session.address(), urls] {
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("later"));
        const bool taken = UrlSchemeHandler::handOff(bus, urls);
        QDBusConnection::disconnectFromBus(QStringLiteral("later"));
        return taken;
    });
}

bool isReady(const std::future<bool>& future)
{
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

} // namespace

class tst_UrlSchemeHandler : public QObject
{
    Q_OBJECT

private slots:
    // A session of the test's own: a Lanto the user runs holds the name on theirs.
    void init()
    {
        m_session = std::make_unique<PrivateBus>();
        QVERIFY(m_session->isReady());
    }
    void cleanup() { m_session.reset(); }

    void laterLaunchHandsItsURLsOver()
    {
        QVERIFY(!handOffFromLaterLaunch({ "lanto://auth?code=1" }).get());

        UrlSchemeHandler running(m_session->connect(QStringLiteral("running")));
        QVERIFY(running.claim());
        running.startDelivering();
        QSignalSpy urls(&running, &UrlSchemeHandler::urlsReceived);
        QSignalSpy reopen(&running, &UrlSchemeHandler::reopenRequested);

        std::future<bool> handed = handOffFromLaterLaunch({ "lanto://auth?code=1", "", QString(9000, 'x') });
        QTRY_VERIFY(isReady(handed));
        QVERIFY(handed.get());
        QCOMPARE(urls.size(), 1);
        QCOMPARE(urls.first().first().toStringList(), QStringList { "lanto://auth?code=1" });

        QStringList many;
        for (int i = 0; i < 40; ++i)
            many.append(QStringLiteral("lanto://auth?n=%1").arg(i));
        handed = handOffFromLaterLaunch(many);
        QTRY_VERIFY(isReady(handed));
        QCOMPARE(urls.last().first().toStringList().size(), UrlSchemeHandler::maxURLs);

        handed = handOffFromLaterLaunch({});
        QTRY_VERIFY(isReady(handed));
        QCOMPARE(reopen.size(), 1);

        // Only one holds the name.
        UrlSchemeHandler second(m_session->connect(QStringLiteral("second")));
        QVERIFY(!second.claim());
    }

    // A sign-in callback handed over while the window is still being built
    // must not be lost: it waits, in order with the other requests.
    void requestsWaitUntilDeliveryStarts()
    {
        UrlSchemeHandler running(m_session->connect(QStringLiteral("running")));
        QVERIFY(running.claim());
        QStringList delivered;
        connect(&running, &UrlSchemeHandler::urlsReceived, this,
            [&delivered](const QStringList& urls) { delivered.append(urls.join(',')); });
        connect(&running, &UrlSchemeHandler::reopenRequested, this, [&delivered] { delivered.append("reopen"); });

        for (const QStringList& urls : { QStringList { "lanto://auth?code=1" }, QStringList {},
                 QStringList { "lanto://auth?code=2", "lanto://open" } }) {
            std::future<bool> handed = handOffFromLaterLaunch(urls);
            QTRY_VERIFY(isReady(handed));
            QVERIFY(handed.get());
        }
        QVERIFY(delivered.isEmpty());

        running.startDelivering();
        const QStringList expected { "lanto://auth?code=1", "reopen", "lanto://auth?code=2,lanto://open" };
        QCOMPARE(delivered, expected);
        running.startDelivering(); // nothing is delivered twice
        QCOMPARE(delivered, expected);

        std::future<bool> handed = handOffFromLaterLaunch({ "lanto://auth?code=3" });
        QTRY_VERIFY(isReady(handed));
        QCOMPARE(delivered.last(), "lanto://auth?code=3");
    }

    void heldRequestsAreBounded()
    {
        UrlSchemeHandler running(m_session->connect(QStringLiteral("running")));
        QVERIFY(running.claim());
        QSignalSpy urls(&running, &UrlSchemeHandler::urlsReceived);
        for (qsizetype i = 0; i < UrlSchemeHandler::maxHeldRequests + 4; ++i) {
            std::future<bool> handed = handOffFromLaterLaunch({ QStringLiteral("lanto://auth?n=%1").arg(i) });
            QTRY_VERIFY(isReady(handed));
        }
        running.startDelivering();
        QCOMPARE(urls.size(), UrlSchemeHandler::maxHeldRequests);
        QCOMPARE(urls.first().first().toStringList(), QStringList { "lanto://auth?n=0" });
    }

    void nameIsFreeAgainAfterTheEnd()
    {
        {
            UrlSchemeHandler first(m_session->connect(QStringLiteral("running")));
            QVERIFY(first.claim());
        }
        UrlSchemeHandler next(m_session->connect(QStringLiteral("running")));
        QVERIFY(next.claim());
    }

    void entryIsWrittenOnceAndMadeDefault()
    {
        TemporaryHome home;
        FakeSystemCommands commands;
        QCOMPARE(UrlSchemeHandler::registerHandler("/opt/Lanto Apps/Lanto", commands), std::nullopt);
        QCOMPARE(UrlSchemeHandler::entryPath(), home.filePath(".local/share/applications/com.lanto.mac.desktop"));
        QFile entry(UrlSchemeHandler::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("\nExec=\"/opt/Lanto Apps/Lanto\" %u\n"));
        QVERIFY(text.contains("\nMimeType=x-scheme-handler/lanto;\n"));
        const FakeSystemCommands::StartCall makeDefault { "xdg-mime",
            { "default", "com.lanto.mac.desktop", "x-scheme-handler/lanto" } };
        QCOMPARE(commands.startCalls(), QList { makeDefault });

        // Until mimeapps.list names the entry, each start asks again; then no more.
        const auto defaults = [&](const QByteArray& handler) {
            QVERIFY(DesktopEntry::write(home.filePath(".config/mimeapps.list"),
                "[Added Associations]\nx-scheme-handler/lanto=com.lanto.mac.desktop;\n\n[Default Applications]\n"
                "x-scheme-handler/lantox=other.desktop\nx-scheme-handler/lanto="
                    + handler + "\n") == std::nullopt);
        };
        QCOMPARE(UrlSchemeHandler::registerHandler("/opt/Lanto Apps/Lanto", commands), std::nullopt);
        QCOMPARE(commands.startCalls().size(), 2);
        defaults("com.lanto.mac.desktop;other.desktop;");
        QCOMPARE(UrlSchemeHandler::registerHandler("/opt/Lanto Apps/Lanto", commands), std::nullopt);
        QCOMPARE(commands.startCalls().size(), 2);
        defaults("other.desktop;com.lanto.mac.desktop;");
        QCOMPARE(UrlSchemeHandler::registerHandler("/opt/Lanto Apps/Lanto", commands), std::nullopt);
        QCOMPARE(commands.startCalls().size(), 3);

        QVERIFY(UrlSchemeHandler::registerHandler("/opt/x\nExec=/bin/sh", commands).has_value());
        QCOMPARE(commands.startCalls().size(), 3);
    }

    // What xdg-open asks, wherever the desktop's folders are.
    void xdgMimeFindsTheHandlerInMovedFolders()
    {
        if (QStandardPaths::findExecutable("xdg-mime").isEmpty())
            QSKIP("xdg-utils is not installed");
        TemporaryHome home;
        qputenv("XDG_DATA_HOME", home.filePath("elsewhere/data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath("elsewhere/config").toLocal8Bit());
        ProcessSystemCommands commands;
        QCOMPARE(UrlSchemeHandler::registerHandler("/opt/Lanto", commands), std::nullopt);
        QCOMPARE(UrlSchemeHandler::entryPath(), home.filePath("elsewhere/data/applications/com.lanto.mac.desktop"));
        const auto query = [] {
            QProcess xdgMime;
            xdgMime.start("xdg-mime", { "query", "default", "x-scheme-handler/lanto" });
            return xdgMime.waitForFinished(10000) ? xdgMime.readAllStandardOutput().trimmed() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(query(), QByteArray("com.lanto.mac.desktop"), 20000);
    }

private:
    std::future<bool> handOffFromLaterLaunch(const QStringList& urls) { return laterLaunchHandsOff(*m_session, urls); }

    std::unique_ptr<PrivateBus> m_session;
};

QTEST_GUILESS_MAIN(tst_UrlSchemeHandler)
#include "tst_urlschemehandler.moc"
