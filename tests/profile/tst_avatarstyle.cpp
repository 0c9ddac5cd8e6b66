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
