#include "ChooserFolders.h"
#include "ImportFileTypes.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What the upload and avatar file choosers offer and where they open.
class FileChooserTest : public QObject
{
    Q_OBJECT

    // The patterns between the parentheses of a chooser filter, matched as the
    // chooser matches them: case by case.
    static bool offered(const QStringList& filters, const QString& name)
    {
        static const QRegularExpression patterns(u"\\(([^)]*)\\)"_s);
        for (const QString& filter : filters) {
            const QString inside = patterns.match(filter).captured(1);
            for (const QString& glob : inside.split(u' ', Qt::SkipEmptyParts)) {
                const auto re = QRegularExpression::fromWildcard(glob, Qt::CaseSensitive);
                if (re.match(name).hasMatch())
                    return true;
            }
        }
        return false;
    }

private slots:
    void filtersIgnoreCase_data()
    {
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");
        const QStringList uploads = ImportFileTypes::nameFilters();
        const QStringList avatars = ImportFileTypes::pictureFilters();
        QTest::newRow("camera movie") << uploads << u"IMG_0001.MOV"_s << true;
        QTest::newRow("camera picture") << uploads << u"DSC_1.JPG"_s << true;
        QTest::newRow("lower case") << uploads << u"beach.mp4"_s << true;
        QTest::newRow("not a wallpaper") << uploads << u"notes.TXT"_s << false;
        QTest::newRow("avatar in capitals") << avatars << u"ME.PNG"_s << true;
        QTest::newRow("avatar webp") << avatars << u"me.webp"_s << true;
        QTest::newRow("no movie as avatar") << avatars << u"clip.MOV"_s << false;
    }
    void filtersIgnoreCase()
    {
        QFETCH(QStringList, filters);
        QFETCH(QString, name);
        QFETCH(bool, expected);
        QCOMPARE(offered(filters, name), expected);
    }

    void opensInTheUsersFolders()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u".config"_s)));

        // Missing folders: home, never the working directory.
        QCOMPARE(ChooserFolders::videos(), QUrl::fromLocalFile(home.path()));
        QCOMPARE(ChooserFolders::pictures(), QUrl::fromLocalFile(home.path()));

        QVERIFY(QDir(home.path()).mkpath(u"Videos"_s));
        QVERIFY(QDir(home.path()).mkpath(u"Pictures"_s));
        QCOMPARE(ChooserFolders::videos(), QUrl::fromLocalFile(home.filePath(u"Videos"_s)));
        QCOMPARE(ChooserFolders::pictures(), QUrl::fromLocalFile(home.filePath(u"Pictures"_s)));

        qputenv("HOME", oldHome);
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_GUILESS_MAIN(FileChooserTest)
#include "tst_filechooser.moc"
