// The interface language and its layout direction, from the user defaults.
#include "AppLanguage.h"
#include "TemporaryHome.h"
#include "UserDefaults.h"
#include "Wallpaper.h"

#include <QSignalSpy>
#include <QTest>

class tst_AppLanguage : public QObject
{
    Q_OBJECT

private slots:
    void directionFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("rightToLeft");
        QTest::newRow("arabic") << "ar" << true;
        QTest::newRow("hebrew") << "he" << true;
        QTest::newRow("japanese") << "ja" << false;
        QTest::newRow("brazilian portuguese") << "pt-BR" << false;
    }
    void directionFollowsTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(bool, rightToLeft);
        TemporaryHome home;
        UserDefaults defaults(home.filePath("defaults.conf"));
        AppLanguage appLanguage(defaults);
        QCOMPARE(appLanguage.language(), QString());
        QCOMPARE(appLanguage.locale(), QLocale::system());
        appLanguage.setLanguage(language);
        QCOMPARE(appLanguage.isRightToLeft(), rightToLeft);
        QCOMPARE(defaults.string("appLanguage"), language);
    }

    // The settings screen writes the key itself; the windows follow at once.
    void followsTheStoredKey()
    {
        TemporaryHome home;
        UserDefaults defaults(home.filePath("defaults.conf"));
        AppLanguage appLanguage(defaults);
        QSignalSpy changed(&appLanguage, &AppLanguage::languageChanged);
        defaults.setString("appLanguage", "ar");
        QCOMPARE(changed.size(), 1);
        QVERIFY(appLanguage.isRightToLeft());
        defaults.setString("SUEnableAutomaticChecks", "true");
        defaults.setString("appLanguage", QString(100, 'x'));
        QCOMPARE(appLanguage.language(), QString());
        defaults.setString("appLanguage", "");
        QCOMPARE(changed.size(), 2);
        QCOMPARE(UserDefaults(home.filePath("defaults.conf")).string("appLanguage"), QString(""));
    }

    // The stored language, not LANG, decides card titles and numbers.
    void languageBecomesTheLocale_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("number");
        QTest::newRow("german") << "de" << "Dünen" << "1.234,5";
        QTest::newRow("brazilian portuguese") << "pt-BR" << "Dunas" << "1.234,5";
        QTest::newRow("chinese, traditional script") << "zh-Hant" << "沙丘" << "1,234.5";
        QTest::newRow("none stored: the system's") << "" << "Dunes" << "1,234.5";
    }
    void languageBecomesTheLocale()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        QFETCH(QString, number);
        qputenv("LC_ALL", "en_US.UTF-8");
        TemporaryHome home;
        UserDefaults defaults(home.filePath("defaults.conf"));
        defaults.setString("appLanguage", language);
        Wallpaper wallpaper;
        wallpaper.edit().title = "Dunes";
        wallpaper.edit().localizedTitles = QMap<QString, QString> { { "de", "Dünen" }, { "pt-BR", "Dunas" },
            { "zh-Hant", "沙丘" }, { "en", "Dunes" } };
        {
            AppLanguage appLanguage(defaults);
            QCOMPARE(wallpaper.displayTitle(), title);
            if (!language.isEmpty())
                QCOMPARE(QLocale().toString(1234.5, 'f', 1), number);
            // A change made in the settings takes effect at once.
            defaults.setString("appLanguage", "de");
            QCOMPARE(wallpaper.displayTitle(), QStringLiteral("Dünen"));
            defaults.setString("appLanguage", language);
            QCOMPARE(wallpaper.displayTitle(), title);
        }
        qunsetenv("LC_ALL");
    }
};

QTEST_GUILESS_MAIN(tst_AppLanguage)
#include "tst_applanguage.moc"
