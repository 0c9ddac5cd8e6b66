#include "Log.h"
#include "LogThrottle.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// What the process writes to standard error while it exists.
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { restore(); }

    QByteArray text()
    {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

} // namespace

class tst_Log : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Log::setJournalWriter({}); }

    void journalEntryCarriesTheLineAndWhoWroteIt_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("subsystem");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QByteArrayList>("expected");

        QTest::newRow("application line")
            << int(Log::Level::info) << QStringLiteral("Lanto: Screen parameters changed") << QString() << QString()
            << QByteArrayList { "MESSAGE=Lanto: Screen parameters changed", "PRIORITY=6" };
        QTest::newRow("agent error") << int(Log::Level::error) << QStringLiteral("Cannot read Settings.plist")
                                     << QStringLiteral("com.lanto.mac.agent") << QStringLiteral("agent")
                                     << QByteArrayList { "MESSAGE=Cannot read Settings.plist", "PRIORITY=3",
                                            "SUBSYSTEM=com.lanto.mac.agent", "CATEGORY=agent" };
        QTest::newRow("line kept byte for byte")
            << int(Log::Level::info) << QStringLiteral("Lanto: [DVP 0.000] play() START — a%s b.mp4\nsecond")
            << QStringLiteral("com.lanto.mac.agent") << QStringLiteral("desktop")
            << QByteArrayList { "MESSAGE=Lanto: [DVP 0.000] play() START — a%s b.mp4\nsecond", "PRIORITY=6",
                   "SUBSYSTEM=com.lanto.mac.agent", "CATEGORY=desktop" };
    }

    void journalEntryCarriesTheLineAndWhoWroteIt()
    {
        QFETCH(int, level);
        QFETCH(QString, line);
        QFETCH(QString, subsystem);
        QFETCH(QString, category);
        QFETCH(QByteArrayList, expected);

        expected.append("SYSLOG_IDENTIFIER=" + QByteArray(program_invocation_short_name));
        QCOMPARE(Log::journalFields(Log::Level(level), line, { subsystem, category }), expected);
    }

    // A line the journal took is not repeated on stderr; one it refused is
    // not lost; the capturing sink sees both.
    void lineGoesToTheJournalOrElseToStandardError_data()
    {
        QTest::addColumn<bool>("journalTakes");
        QTest::newRow("journal") << true;
        QTest::newRow("no journal") << false;
    }

    void lineGoesToTheJournalOrElseToStandardError()
    {
        QFETCH(bool, journalTakes);
        QByteArrayList sent;
        Log::setJournalWriter([&](const QByteArrayList& fields) {
            sent = fields;
            return journalTakes;
        });
        QStringList captured;
        const Log::Sink previous = Log::setSink([&](const QString& line) { captured.append(line); });
        StandardErrorCapture standardError;

        Log::write(Log::Level::error, QStringLiteral("Plist lost aerial config on unlock — restoring"),
            { QStringLiteral("com.lanto.mac.agent"), QStringLiteral("agent") });

        const QByteArray written = standardError.text();
        Log::setSink(previous);
        QVERIFY(sent.contains("MESSAGE=Plist lost aerial config on unlock — restoring"));
        QCOMPARE(written, journalTakes ? QByteArray() : QByteArray("Plist lost aerial config on unlock — restoring\n"));
        QCOMPARE(captured, QStringList { QStringLiteral("Plist lost aerial config on unlock — restoring") });
    }

    // The journal library drops entries without a word where there is no
    // journal; the line must reach stderr then.
    void systemJournalOrStandardError()
    {
        const bool hasJournal = QFileInfo(QStringLiteral("/run/systemd/journal/socket")).exists();
        StandardErrorCapture standardError;
        Log::write(QStringLiteral("Lanto: log check"));
        QCOMPARE(standardError.text(), hasJournal ? QByteArray() : QByteArray("Lanto: log check\n"));
    }

    // A minute counts from the last line let through, for each kind on its own.
    void throttleLetsALineOfEachKindThroughPerInterval()
    {
        using namespace std::chrono_literals;
        LogThrottle throttle(1min);
        const LogThrottle::Clock::time_point start = LogThrottle::Clock::now();
        QVERIFY(throttle.admits(ECONNRESET, start));
        QVERIFY(!throttle.admits(ECONNRESET, start + 59s));
        QVERIFY(throttle.admits(ETIMEDOUT, start + 1s));
        QVERIFY(throttle.admits(ECONNRESET, start + 60s));
        QVERIFY(!throttle.admits(ECONNRESET, start + 119s));
        QVERIFY(!throttle.admits(ETIMEDOUT, start + 60s));
        QVERIFY(throttle.admits(ECONNRESET, start + 120s));
    }
};

QTEST_GUILESS_MAIN(tst_Log)
#include "tst_log.moc"
