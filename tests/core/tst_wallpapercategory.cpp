#include "SystemColor.h"
#include "WallpaperCategory.h"

#include <QtTest>

class TestWallpaperCategory : public QObject
{
    Q_OBJECT

private slots:
    void casesFollowGridOrder();
    void serviceKeysAreLowerCaseNamesSaveTwoWordOnes();
    void everyCategoryHasIconAndColour();
    void rawValuesRoundTrip();
    void fromRawValueAcceptsOnlyExactNames_data();
    void fromRawValueAcceptsOnlyExactNames();
    void hashesAsRawValue();
};

void TestWallpaperCategory::casesFollowGridOrder()
{
    QStringList names;
    for (WallpaperCategory category : WallpaperCategories::allCases())
        names.append(rawValue(category));
    QCOMPARE(names, QStringList({"Anime", "Animals", "Cartoon", "Gaming", "Movies", "TV Shows", "Nature", "Space",
                                 "Digital Art", "Cinematic", "Vehicles", "Sci-Fi"}));
}

void TestWallpaperCategory::serviceKeysAreLowerCaseNamesSaveTwoWordOnes()
{
    const QMap<WallpaperCategory, QString> twoWord{{WallpaperCategory::tvShows, "tvShows"},
                                                   {WallpaperCategory::digitalArt, "digitalArt"},
                                                   {WallpaperCategory::sciFi, "sciFi"}};
    for (WallpaperCategory category : WallpaperCategories::allCases())
        QCOMPARE(serviceKey(category), twoWord.value(category, rawValue(category).toLower()));
}

void TestWallpaperCategory::everyCategoryHasIconAndColour()
{
    QSet<QString> icons;
    for (WallpaperCategory category : WallpaperCategories::allCases()) {
        icons.insert(icon(category));
        QVERIFY(color(category).isValid());
    }
    QCOMPARE(icons.size(), 12);
    QCOMPARE(color(WallpaperCategory::digitalArt), systemColor(SystemColor::purple));
}

void TestWallpaperCategory::rawValuesRoundTrip()
{
    for (WallpaperCategory category : WallpaperCategories::allCases())
        QVERIFY(WallpaperCategories::fromRawValue(rawValue(category)) == category);
}

void TestWallpaperCategory::fromRawValueAcceptsOnlyExactNames_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("lower case") << "anime";
    QTest::newRow("upper case") << "SCI-FI";
    QTest::newRow("case name") << "tvShows";
    QTest::newRow("service key") << "digitalArt";
    QTest::newRow("trailing space") << "Space ";
    QTest::newRow("empty") << "";
    QTest::newRow("unknown") << "Music";
}

void TestWallpaperCategory::fromRawValueAcceptsOnlyExactNames()
{
    QFETCH(QString, text);
    QVERIFY(!WallpaperCategories::fromRawValue(text).has_value());
}

void TestWallpaperCategory::hashesAsRawValue()
{
    for (WallpaperCategory category : WallpaperCategories::allCases())
        QCOMPARE(qHash(category, 7), qHash(rawValue(category), 7));
    QSet<WallpaperCategory> set(WallpaperCategories::allCases().begin(), WallpaperCategories::allCases().end());
    QCOMPARE(set.size(), 12);
}

QTEST_GUILESS_MAIN(TestWallpaperCategory)
#include "tst_wallpapercategory.moc"
