#include "SystemColor.h"
#include "WallpaperCategory.h"

#include <QtTest>

class TestWallpaperCategory : public QObject
{
    Q_OBJECT

private slots:
    void casesFollowGridOrder_data();
    void casesFollowGridOrder();
    void rawValuesRoundTrip();
    void fromRawValueAcceptsOnlyExactNames_data();
    void fromRawValueAcceptsOnlyExactNames();
    void hashesAsRawValue();
};

void TestWallpaperCategory::casesFollowGridOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("key");

    const auto row = [](int index, const char* raw, const char* symbol, SystemColor named, const char* key) {
        QTest::newRow(raw) << index << QString(raw) << QString(symbol) << systemColor(named) << QString(key);
    };
    row(0, "Anime", "sparkles.tv", SystemColor::pink, "anime");
    row(1, "Animals", "pawprint.fill", SystemColor::orange, "animals");
    row(2, "Cartoon", "pencil.and.outline", SystemColor::yellow, "cartoon");
    row(3, "Gaming", "gamecontroller.fill", SystemColor::green, "gaming");
    row(4, "Movies", "film.stack", SystemColor::red, "movies");
    row(5, "TV Shows", "tv", SystemColor::blue, "tvShows");
    row(6, "Nature", "leaf", SystemColor::green, "nature");
    row(7, "Space", "sparkles", SystemColor::indigo, "space");
    row(8, "Digital Art", "paintpalette.fill", SystemColor::purple, "digitalArt");
    row(9, "Cinematic", "film", SystemColor::orange, "cinematic");
    row(10, "Vehicles", "car.fill", SystemColor::blue, "vehicles");
    row(11, "Sci-Fi", "antenna.radiowaves.left.and.right", SystemColor::cyan, "sciFi");
}

void TestWallpaperCategory::casesFollowGridOrder()
{
    QFETCH(int, index);
    QFETCH(QString, raw);
    QFETCH(QString, symbol);
    QFETCH(QColor, colour);
    QFETCH(QString, key);

    const QList<WallpaperCategory>& all = WallpaperCategories::allCases();
    QCOMPARE(all.size(), 12);
    const WallpaperCategory category = all.at(index);
    QCOMPARE(rawValue(category), raw);
    QCOMPARE(icon(category), symbol);
    QCOMPARE(color(category), colour);
    QCOMPARE(serviceKey(category), key);
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
