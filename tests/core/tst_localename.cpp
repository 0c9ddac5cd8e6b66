#include "LocaleName.h"

#include <QtTest>

class TestLocaleName : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatTheTextNames_data();
    void readsWhatTheTextNames();
};

void TestLocaleName::readsWhatTheTextNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("region");

    QTest::newRow("language alone") << "pt"
                                    << "pt"
                                    << ""
                                    << "";
    QTest::newRow("region without script") << "zh_TW"
                                           << "zh"
                                           << ""
                                           << "TW";
    QTest::newRow("script and region") << "zh_Hant_TW"
                                       << "zh"
                                       << "Hant"
                                       << "TW";
    QTest::newRow("dashes and odd case") << "ZH-hant-tw"
                                         << "zh"
                                         << "Hant"
                                         << "TW";
    QTest::newRow("numeric region") << "es-419"
                                    << "es"
                                    << ""
                                    << "419";
    QTest::newRow("codeset and modifier dropped") << "sr_RS.UTF-8@latin"
                                                  << "sr"
                                                  << ""
                                                  << "RS";
    QTest::newRow("three-letter language") << "fil_PH"
                                           << "fil"
                                           << ""
                                           << "PH";
    QTest::newRow("C locale names nothing") << "C.UTF-8"
                                            << ""
                                            << ""
                                            << "";
    QTest::newRow("POSIX names nothing") << "POSIX"
                                         << ""
                                         << ""
                                         << "";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("not a language") << "1x_BR"
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("unknown parts ignored") << "de_DE_formal"
                                           << "de"
                                           << ""
                                           << "DE";
}

void TestLocaleName::readsWhatTheTextNames()
{
    QFETCH(QString, text);
    const LocaleName name = LocaleName::fromText(text);
    QTEST(name.language, "language");
    QTEST(name.script, "script");
    QTEST(name.region, "region");
}

QTEST_GUILESS_MAIN(TestLocaleName)
#include "tst_localename.moc"
