#include "HandleRules.h"

#include <QtTest>

class TestHandleRules : public QObject
{
    Q_OBJECT

private slots:
    void sanitized_data();
    void sanitized();
    void localViolation_data();
    void localViolation();
};

void TestHandleRules::sanitized_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("clean");

    QTest::newRow("capitals") << "AdaLove" << "adalove";
    QTest::newRow("digits and underscore") << "ada_42" << "ada_42";
    QTest::newRow("spaces and punctuation") << "ada love!" << "adalove";
    QTest::newRow("accented letter") << u"caf\u00e9"_qs << "caf";
    QTest::newRow("decomposed accent") << u"cafe\u0301x"_qs << "cafx";
    QTest::newRow("other scripts' digits") << u"a\u0663\u0e52"_qs << u"a\u0663\u0e52"_qs;
    QTest::newRow("fraction and roman numeral") << u"a\u00bd\u2163"_qs << u"a\u00bd\u2173"_qs;
    QTest::newRow("emoji") << u"a\U0001F600b"_qs << "ab";
    QTest::newRow("non-latin letters") << u"\u03b1\u0431z"_qs << "z";
    QTest::newRow("thirty characters") << QString(30, u'a') << QString(20, u'a');
    QTest::newRow("twenty kept of many dropped") << "a!b!c!d!e!f!g!h!i!j!k!l!m!n!o!p!q!r!s!t!u!v" << "abcdefghijklmnopqrst";
    QTest::newRow("wide digits count once") << QString(25, QChar(0x0663)) << QString(20, QChar(0x0663));
}

void TestHandleRules::sanitized()
{
    QFETCH(QString, input);
    QFETCH(QString, clean);
    QCOMPARE(HandleRules::sanitized(input), clean);
    QCOMPARE(HandleRules::sanitized(clean), clean);
}

void TestHandleRules::localViolation_data()
{
    QTest::addColumn<QString>("handle");
    QTest::addColumn<QString>("violation"); // null: none

    QTest::newRow("empty") << "" << QString();
    QTest::newRow("digit first") << "1ada" << "Must start with a letter";
    QTest::newRow("underscore first") << "_ada" << "Must start with a letter";
    QTest::newRow("two letters") << "ad" << "Must be at least 3 characters";
    QTest::newRow("one digit") << "7" << "Must start with a letter";
    QTest::newRow("three letters") << "ada" << QString();
}

void TestHandleRules::localViolation()
{
    QFETCH(QString, handle);
    QFETCH(QString, violation);
    QCOMPARE(HandleRules::localViolation(handle).value_or(QString()), violation);
}

QTEST_GUILESS_MAIN(TestHandleRules)
#include "tst_handlerules.moc"
