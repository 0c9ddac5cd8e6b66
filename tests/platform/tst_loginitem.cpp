// The agent's autostart entry: written whole, read back as one program
// argument whatever the path holds, and not enabled once the desktop edits it.
#include "DesktopEntry.h"
#include "LoginItem.h"
#include "TemporaryHome.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The Exec value read back as the desktop-entry format says: string escapes
// first, then the quoted argument, then "%%".
QStringList execArguments(const QString& exec)
{
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == u'\\' && i + 1 < exec.size() && exec[i + 1] == u'\\') {
            unescaped += u'\\';
            ++i;
        } else {
            unescaped += exec[i];
        }
    }
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (inQuotes && c == u'\\' && i + 1 < unescaped.size()) {
            current += unescaped[++i];
        } else if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (c == u' ' && !inQuotes) {
            arguments.append(current);
            current.clear();
        } else if (c == u'%' && i + 1 < unescaped.size() && unescaped[i + 1] == u'%') {
            current += u'%';
            ++i;
        } else {
            current += c;
        }
    }
    arguments.append(current);
    return arguments;
}

} // namespace

class tst_LoginItem : public QObject
{
    Q_OBJECT

private slots:
    void registersOnceAndReadsBackEnabled()
    {
        TemporaryHome home;
        AutostartLoginItem item("com.lanto.mac.agent", "LantoAgent", "/opt/lanto/bin/LantoAgent");
        QCOMPARE(item.entryPath(), home.filePath(".config/autostart/com.lanto.mac.agent.desktop"));
        QCOMPARE(item.status(), LoginItem::Status::notRegistered);

        QCOMPARE(item.registerItem(), std::nullopt);
        QCOMPARE(item.status(), LoginItem::Status::enabled);
        QCOMPARE(contents(item.entryPath()),
            QByteArray("[Desktop Entry]\nType=Application\nName=LantoAgent\nExec=/opt/lanto/bin/LantoAgent\n"
                       "NoDisplay=true\nX-GNOME-Autostart-enabled=true\n"));
        // No temporary file stays behind.
        QCOMPARE(QDir(QFileInfo(item.entryPath()).path()).entryList(QDir::Files).size(), 1);

        QCOMPARE(item.unregisterItem(), std::nullopt);
        QVERIFY(!QFile::exists(item.entryPath()));
        QCOMPARE(item.unregisterItem(), std::nullopt);
    }

    void editedOrMovedEntryIsNotEnabled()
    {
        TemporaryHome home;
        AutostartLoginItem item("com.lanto.mac.agent", "LantoAgent", "/opt/lanto/bin/LantoAgent");
        QCOMPARE(item.registerItem(), std::nullopt);
        QFile file(item.entryPath());
        QVERIFY(file.open(QIODevice::Append));
        file.write("Hidden=true\n");
        file.close();
        QCOMPARE(item.status(), LoginItem::Status::notRegistered);

        QCOMPARE(item.registerItem(), std::nullopt);
        AutostartLoginItem moved("com.lanto.mac.agent", "LantoAgent", "/usr/local/bin/LantoAgent");
        QCOMPARE(moved.status(), LoginItem::Status::notRegistered);
    }

    void unwritableFolderFails()
    {
        TemporaryHome home;
        QFile blocker(home.filePath(".config"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        AutostartLoginItem item("com.lanto.mac.agent", "LantoAgent", "/opt/lanto/bin/LantoAgent");
        QVERIFY(item.registerItem().has_value());
        QCOMPARE(item.status(), LoginItem::Status::notRegistered);
    }

    void execValueKeepsOneArgument_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << "/usr/bin/LantoAgent";
        QTest::newRow("spaces") << "/home/a b/My Apps/LantoAgent";
        QTest::newRow("quotes and dollar") << "/home/x/\"$HOME\"/`id`/LantoAgent";
        QTest::newRow("backslashes") << "/home/x\\y\\\\z/LantoAgent";
        QTest::newRow("percent") << "/home/100%u/LantoAgent";
        QTest::newRow("unicode") << "/home/émile/ランタ/LantoAgent";
        QTest::newRow("plus and equals") << "/opt/a+b=c/LantoAgent";
    }
    void execValueKeepsOneArgument()
    {
        QFETCH(QString, program);
        const std::optional<QString> exec = DesktopEntry::execValue(program, { "--flag" }, { "%u" });
        QVERIFY(exec);
        QCOMPARE(execArguments(*exec), (QStringList { program, "--flag", "%u" }));
    }

    void controlCharactersAreRefused_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("newline") << "/tmp/x\nExec=/bin/evil";
        QTest::newRow("carriage return") << "/tmp/x\rHidden=true";
        QTest::newRow("tab") << "/tmp/x\ty";
        QTest::newRow("empty") << "";
    }
    void controlCharactersAreRefused()
    {
        QFETCH(QString, program);
        QCOMPARE(DesktopEntry::execValue(program), std::nullopt);
        TemporaryHome home;
        AutostartLoginItem item("com.lanto.mac.agent", "LantoAgent", program);
        QVERIFY(item.registerItem().has_value());
        QVERIFY(!QFile::exists(item.entryPath()));
    }
};

QTEST_GUILESS_MAIN(tst_LoginItem)
#include "tst_loginitem.moc"
