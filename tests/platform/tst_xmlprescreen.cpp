#include "PropertyList.h"
#include "XmlPrescreen.h"

#include <QTest>

class TestXmlPrescreen : public QObject
{
    Q_OBJECT

    static QByteArray plist(const QByteArray& body)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Lanto//DTD PLIST 1.0//EN\" \"http://example.com/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">"
            + body + "</plist>\n";
    }

    static QByteArray attributes(int count)
    {
        QByteArray tag = "<dict";
        for (int i = 0; i < count; ++i)
            tag += " a" + QByteArray::number(i) + "='x'";
        return tag + "/>";
    }

private slots:
    // Markup that merely looks like the refused kinds must still be read.
    void accepted_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("plain") << plist("<dict><key>a</key><string>b</string></dict>");
        QTest::newRow("brackets and > in quotes")
            << QByteArray("<!DOCTYPE rss SYSTEM \"a[b]>c\"><rss x=\"[>]\" y='=='/>");
        QTest::newRow("markup in a comment") << plist("<!-- <!DOCTYPE x [ ]> <a b=1 c=2> --><true/>");
        QTest::newRow("markup in CDATA") << QByteArray("<rss><![CDATA[<!DOCTYPE x [<!ENTITY a 'b'>]>]]></rss>");
        QTest::newRow("markup in a processing instruction") << QByteArray("<?x <!DOCTYPE y [ ?><rss/>");
        QTest::newRow("attributes up to the cap") << attributes(XmlPrescreen::maxAttributesPerTag);
        QTest::newRow("text with = and [") << plist("<string>a=b [c] d=e</string>");
        QTest::newRow("unterminated") << QByteArray("<rss a=\"");
    }
    void accepted()
    {
        QFETCH(QByteArray, xml);
        QCOMPARE(XmlPrescreen::refusal(xml), QString());
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("internal subset") << QByteArray("<!DOCTYPE plist [<!ATTLIST x a CDATA 'v'>]><plist/>");
        QTest::newRow("subset after an identifier")
            << QByteArray("<!DOCTYPE plist SYSTEM \"p.dtd\" [<!ENTITY a 'b'>]><plist/>");
        QTest::newRow("attributes past the cap") << attributes(XmlPrescreen::maxAttributesPerTag + 1);
    }
    void refused()
    {
        QFETCH(QByteArray, xml);
        QVERIFY(!XmlPrescreen::refusal(xml).isEmpty());
    }

    // Files that cost seconds or gigabytes in the XML reader are refused before it
    // runs, and the property list reader says so.
    void propertyListRefusesBeforeParsing_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QByteArray declarations = "<!DOCTYPE plist [";
        for (int i = 0; i < 50000; ++i)
            declarations += "<!ATTLIST x" + QByteArray::number(i) + " a CDATA \"v\">";
        QTest::newRow("attribute declarations") << declarations + "]><plist version=\"1.0\"><true/></plist>";
        QTest::newRow("crowded tag") << plist(attributes(30000));
    }
    void propertyListRefusesBeforeParsing()
    {
        QFETCH(QByteArray, xml);
        const PropertyList::ParseResult result = PropertyList::decode(xml);
        QVERIFY(std::holds_alternative<QString>(result));
    }
};

QTEST_GUILESS_MAIN(TestXmlPrescreen)
#include "tst_xmlprescreen.moc"
