#include "AvatarStyle.h"
#include "SystemColor.h"

#include <QTest>

// The avatar placeholder's colour and letters.
class AvatarStyleTest : public QObject
{
    Q_OBJECT

private slots:
    void colour_data()
    {
        QTest::addColumn<QString>("avatarColor");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("absent") << QString() << systemColor(SystemColor::purple);
        QTest::newRow("capitalised name") << "Blue" << systemColor(SystemColor::blue);
        QTest::newRow("mixed case") << "mInT" << systemColor(SystemColor::mint);
        QTest::newRow("hex") << "#FF8800" << QColor(255, 136, 0);
        QTest::newRow("unknown name") << "magenta" << systemColor(SystemColor::purple);
        QTest::newRow("hex without sign") << "FF8800" << systemColor(SystemColor::purple);
    }

    void colour()
    {
        QFETCH(QString, avatarColor);
        QTEST(AvatarStyle::placeholderColor(avatarColor), "expected");
    }

    void initials_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("profile");
        QTest::newRow("two words") << "ada lovelace" << "AL" << "AL";
        QTest::newRow("three words") << "ada  king lovelace" << "AL" << "AK";
        QTest::newRow("one word") << "ada" << "A" << "A";
        QTest::newRow("blank") << "   " << "?" << "";
        QTest::newRow("none") << "" << "?" << "L";
        // A first character beyond one UTF-16 unit stays whole.
        const QString rocket = QStringLiteral("\U0001F680");
        const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
        const QString accented = QStringLiteral("e\u0301");
        QTest::newRow("emoji") << rocket + "man" << rocket << rocket;
        QTest::newRow("joined emoji, two words") << family + " " + rocket + "x" << family + rocket << family + rocket;
        QTest::newRow("combining accent") << accented + "mile zola" << QStringLiteral("E\u0301Z")
                                          << QStringLiteral("E\u0301Z");
    }

    void initials()
    {
        QFETCH(QString, name);
        QTEST(AvatarStyle::editorInitials(name), "editor");
        QTEST(AvatarStyle::profileInitials(name), "profile");
    }
};

QTEST_GUILESS_MAIN(AvatarStyleTest)
#include "tst_avatarstyle.moc"
