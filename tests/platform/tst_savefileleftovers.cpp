#include "SaveFileLeftovers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

// Only the temporaries of one file, left long enough ago, are removed.
class SaveFileLeftoversTest : public QObject
{
    Q_OBJECT

private slots:
    void removesOnlyOldTemporariesOfTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("removed");
        QTest::newRow("temporary of a killed write") << "Settings.plist.uKILNi" << "file" << 120 << true;
        QTest::newRow("temporary of a write in progress") << "Settings.plist.uKILNi" << "file" << 5 << false;
        QTest::newRow("the file itself") << "Settings.plist" << "file" << 120 << false;
        QTest::newRow("five random letters") << "Settings.plist.uKILN" << "file" << 120 << false;
        QTest::newRow("seven random letters") << "Settings.plist.uKILNiX" << "file" << 120 << false;
        QTest::newRow("not random letters") << "Settings.plist.u-ILNi" << "file" << 120 << false;
        QTest::newRow("another file's temporary") << "Other.plist.uKILNi" << "file" << 120 << false;
        QTest::newRow("a link by that name") << "Settings.plist.uKILNi" << "link" << 120 << false;
        QTest::newRow("a folder by that name") << "Settings.plist.uKILNi" << "folder" << 120 << false;
    }

    void removesOnlyOldTemporariesOfTheFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(int, ageSeconds);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString aside = dir.filePath("aside");
        QVERIFY(makeFile(kind == "link" ? aside : path, ageSeconds));
        if (kind == "link")
            QVERIFY(QFile::link(aside, path));
        else if (kind == "folder")
            QVERIFY(QFile::remove(path) && QDir(dir.path()).mkdir(name));

        QCOMPARE(SaveFileLeftovers::remove(dir.filePath("Settings.plist"), 60s), removed ? 1 : 0);
        QCOMPARE(QFileInfo::exists(path) || QFileInfo(path).isSymLink(), !removed);
        QVERIFY(kind != "link" || QFile::exists(aside));
    }

private:
    static bool makeFile(const QString& path, int ageSeconds)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("x") == 1 && file.flush()
            && file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
    }
};

QTEST_GUILESS_MAIN(SaveFileLeftoversTest)
#include "tst_savefileleftovers.moc"
