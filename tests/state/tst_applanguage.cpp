// The interface language and its layout direction, from the user defaults.
#include "AppLanguage.h"
#include "TemporaryHome.h"
#include "UserDefaults.h"

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
};

QTEST_GUILESS_MAIN(tst_AppLanguage)
#include "tst_applanguage.moc"
