#include "APIWallpaper.h"
#include "HexID.h"
#include "SystemColor.h"
#include "Wallpaper.h"

#include <QtTest>

#include <limits>

namespace {

APIWallpaper catalogueItem()
{
    APIWallpaper item;
    item.id = "0123456789abcdef01234567";
    item.title = "Northern Lights";
    item.type = "video";
    item.resolutionWidth = 3840;
    item.resolutionHeight = 2160;
    item.fileSize = 5'000'000'000;
    item.thumbnailPath = "https://cdn.example/thumb.jpg";
    item.contentPath = "https://cdn.example/content.mov";
    item.downloadCount = 12;
    item.favoriteCount = 3;
    item.applyCount = 99;
    item.createdAt = "2020-01-01T00:00:00Z";
    item.updatedAt = "2020-01-02T00:00:00Z";
    item.profile.id = "00112233445566778899aabbccddeeff";
    item.profile.name = "Mira";
    item.profile.avatarUrl = "https://cdn.example/mira.png";
    item.profile.isVerified = true;
    item.category.id = "c1";
    item.category.name = "Nature";
    item.category.icon = "leaf";
    item.tags = QStringList{"t1", "t2"};
    return item;
}

Wallpaper titled(const QString& title, std::optional<QMap<QString, QString>> titles)
{
    Wallpaper wallpaper;
    wallpaper.edit().title = title;
    wallpaper.edit().localizedTitles = std::move(titles);
    return wallpaper;
}

} // namespace

class TestWallpaper : public QObject
{
    Q_OBJECT

private slots:
    void buildsEveryFieldFromTheCatalogueItem();
    void keepsOptionalPathsAbsent();
    void mapsCategoryNamesIgnoringCase_data();
    void mapsCategoryNamesIgnoringCase();
    void onlyExactVideoTypeIsVideo_data();
    void onlyExactVideoTypeIsVideo();
    void unnamedProfileIsUnknown();
    void previewColoursFollowTheHexRule();
    void equalAndHashedByIdAlone();
    void variantsDifferWhenAnyFieldDoes_data();
    void variantsDifferWhenAnyFieldDoes();
    void editsStayWithTheRecordEdited_data();
    void editsStayWithTheRecordEdited();
    void resolutionText_data();
    void resolutionText();
    void localizedTitle_data();
    void localizedTitle();
};

void TestWallpaper::buildsEveryFieldFromTheCatalogueItem()
{
    APIWallpaper item = catalogueItem();
    item.posterPath = "https://cdn.example/poster.png";
    item.previewClipPath = "https://cdn.example/preview.mov";
    item.localizedTitles = QMap<QString, QString>{{"de", "Nordlichter"}};
    item.status = "approved";

    const QDateTime before = QDateTime::currentDateTimeUtc();
    const Wallpaper w = Wallpaper::fromAPIWallpaper(item);
    const QDateTime after = QDateTime::currentDateTimeUtc();

    QCOMPARE(w.id, QUuid::fromString(QStringLiteral("01234567-89AB-CDEF-0123-456701234567")));
    QCOMPARE(w.hexID(), item.id);
    QCOMPARE(w.title(), item.title);
    QCOMPARE(w.category(), WallpaperCategory::nature);
    QCOMPARE(w.tags(), item.tags);
    QVERIFY(w.previewColors().isEmpty());
    QCOMPARE(w.resolution(), QSizeF(3840, 2160));
    QCOMPARE(w.fileSize(), Q_INT64_C(5000000000));
    QCOMPARE(w.isFeatured(), false);
    QCOMPARE(w.isNew(), true);
    QCOMPARE(w.downloadCount(), 12);
    QCOMPARE(w.favoriteCount(), 3);
    QVERIFY(w.dateAdded() >= before && w.dateAdded() <= after);
    QCOMPARE(w.wallpaperType(), WallpaperType::video);
    QCOMPARE(w.cloudID(), item.id);
    QCOMPARE(w.remoteThumbnailURL(), item.thumbnailPath);
    QCOMPARE(w.remotePosterURL(), item.posterPath);
    QCOMPARE(w.remoteContentURL(), item.contentPath);
    QCOMPARE(w.remotePreviewClipURL(), item.previewClipPath);
    QCOMPARE(w.localizedTitles(), item.localizedTitles);
    QVERIFY(!w.submissionStatus());
    QVERIFY(!w.serverWallpaperId());

    Creator expected;
    expected.id = QUuid::fromString(QStringLiteral("00112233-4455-6677-8899-aabbccddeeff"));
    expected.name = "Mira";
    expected.avatarColor = systemColor(SystemColor::purple);
    expected.avatarUrl = "https://cdn.example/mira.png";
    expected.isVerified = true;
    expected.serverProfileId = item.profile.id;
    QVERIFY(w.creator() == expected);
}

void TestWallpaper::keepsOptionalPathsAbsent()
{
    const Wallpaper w = Wallpaper::fromAPIWallpaper(catalogueItem());
    QVERIFY(!w.remotePosterURL());
    QVERIFY(!w.remotePreviewClipURL());
    QVERIFY(!w.localizedTitles());
}

void TestWallpaper::mapsCategoryNamesIgnoringCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<WallpaperCategory>("category");

    QTest::newRow("display name") << "Space" << WallpaperCategory::space;
    QTest::newRow("digital art lower") << "digital art" << WallpaperCategory::digitalArt;
    QTest::newRow("sci-fi upper") << "SCI-FI" << WallpaperCategory::sciFi;
    QTest::newRow("tv shows mixed") << "tV sHoWs" << WallpaperCategory::tvShows;
    QTest::newRow("unknown name") << "Music" << WallpaperCategory::digitalArt;
    QTest::newRow("case name is not a display name") << "tvShows" << WallpaperCategory::digitalArt;
    QTest::newRow("empty") << "" << WallpaperCategory::digitalArt;
    QTest::newRow("not ASCII") << QString::fromUtf16(u"SPAC\u00c9") << WallpaperCategory::digitalArt;
    QTest::newRow("long s is not an s") << QString::fromUtf16(u"\u017Fpace") << WallpaperCategory::digitalArt;
}

void TestWallpaper::mapsCategoryNamesIgnoringCase()
{
    QFETCH(QString, name);
    QFETCH(WallpaperCategory, category);
    APIWallpaper item = catalogueItem();
    item.category.name = name;
    QCOMPARE(Wallpaper::fromAPIWallpaper(item).category(), category);
}

void TestWallpaper::onlyExactVideoTypeIsVideo_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<WallpaperType>("expected");

    QTest::newRow("video") << "video" << WallpaperType::video;
    QTest::newRow("capital V") << "Video" << WallpaperType::image;
    QTest::newRow("image") << "image" << WallpaperType::image;
    QTest::newRow("gradient") << "gradient" << WallpaperType::image;
    QTest::newRow("empty") << "" << WallpaperType::image;
}

void TestWallpaper::onlyExactVideoTypeIsVideo()
{
    QFETCH(QString, type);
    QFETCH(WallpaperType, expected);
    APIWallpaper item = catalogueItem();
    item.type = type;
    QCOMPARE(Wallpaper::fromAPIWallpaper(item).wallpaperType(), expected);
}

void TestWallpaper::unnamedProfileIsUnknown()
{
    APIWallpaper item = catalogueItem();
    item.profile.name.reset();
    item.profile.avatarUrl.reset();
    item.profile.isVerified = false;
    const Creator creator = Wallpaper::fromAPIWallpaper(item).creator();
    QCOMPARE(creator.name, QStringLiteral("Unknown"));
    QCOMPARE(creator.avatarColor, systemColor(SystemColor::purple));
    QVERIFY(!creator.avatarUrl);
    QCOMPARE(creator.isVerified, false);
    QCOMPARE(creator.wallpaperCount, 0);
    QCOMPARE(creator.followerCount, 0);
}

void TestWallpaper::previewColoursFollowTheHexRule()
{
    APIWallpaper item = catalogueItem();
    item.previewColors = QStringList{"#FF8800", "80123456", "nothex", "#0000ff#"};
    const QList<QColor> expected{QColor(255, 136, 0), QColor(0x12, 0x34, 0x56), QColor(0, 0, 0), QColor(0, 0, 255)};
    QCOMPARE(Wallpaper::fromAPIWallpaper(item).previewColors(), expected);
}

void TestWallpaper::equalAndHashedByIdAlone()
{
    const Wallpaper a = Wallpaper::fromAPIWallpaper(catalogueItem());
    Wallpaper renamed = a;
    renamed.edit().title = "Other";
    renamed.edit().creator.name = "Someone";
    renamed.edit().wallpaperType = WallpaperType::gradient;
    QVERIFY(a == renamed);
    QCOMPARE(qHash(a, 3), qHash(renamed, 3));

    APIWallpaper otherItem = catalogueItem();
    otherItem.id = "fedcba9876543210fedcba98";
    QVERIFY(!(a == Wallpaper::fromAPIWallpaper(otherItem)));

    QSet<Wallpaper> set{a, renamed, Wallpaper::fromAPIWallpaper(otherItem)};
    QCOMPARE(set.size(), 2);
}

// What QML compares before it tells a card's bindings of a new record.
void TestWallpaper::variantsDifferWhenAnyFieldDoes_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("same");
    QTest::newRow("nothing changed") << "" << true;
    QTest::newRow("review status") << "submissionStatus" << false;
    QTest::newRow("title") << "title" << false;
    QTest::newRow("creator's name") << "creator" << false;
    QTest::newRow("server id") << "serverWallpaperId" << false;
}

void TestWallpaper::variantsDifferWhenAnyFieldDoes()
{
    QFETCH(QString, field);
    QFETCH(bool, same);
    const Wallpaper record = Wallpaper::fromAPIWallpaper(catalogueItem());
    Wallpaper changed = record;
    if (field == "submissionStatus")
        changed.edit().submissionStatus = "pending";
    else if (field == "title")
        changed.edit().title = "Other";
    else if (field == "creator")
        changed.edit().creator.name = "Someone";
    else if (field == "serverWallpaperId")
        changed.edit().serverWallpaperId = "abc";
    QVERIFY(record == changed); // the record's identity stays the id
    QCOMPARE(QVariant::fromValue(record) == QVariant::fromValue(changed), same);
    QCOMPARE(record.sameContent(changed), same);
}

// Copies share their fields until one is edited: the edit must reach that record alone.
void TestWallpaper::editsStayWithTheRecordEdited_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("copy of a catalogue record") << "catalogue";
    QTest::newRow("default records") << "default";
    QTest::newRow("row of a list copied whole") << "list";
}

void TestWallpaper::editsStayWithTheRecordEdited()
{
    QFETCH(QString, source);
    const Wallpaper original = source == "default" ? Wallpaper() : Wallpaper::fromAPIWallpaper(catalogueItem());
    const QString title = original.title();
    const QStringList tags = original.tags();

    QList<Wallpaper> rows{original};
    const QList<Wallpaper> otherRows = rows;
    Wallpaper copy = original;
    Wallpaper& edited = source == "list" ? rows[0] : copy;
    edited.edit().title = "Edited";
    edited.edit().tags.append("added");
    edited.edit().creator.name = "Someone";

    QCOMPARE(edited.title(), QString("Edited"));
    QCOMPARE(edited.tags(), tags + QStringList{"added"});
    for (const Wallpaper& kept : {original, otherRows.at(0), source == "list" ? copy : rows.at(0)}) {
        QCOMPARE(kept.title(), title);
        QCOMPARE(kept.tags(), tags);
        QVERIFY(kept.sameContent(original));
        QVERIFY(!kept.sameContent(edited));
        QVERIFY(kept == edited); // still the same id
    }
    // Records made later start from nothing, whatever was edited before.
    QCOMPARE(Wallpaper().title(), QString());
    QVERIFY(Wallpaper().creator().name.isEmpty());
}

void TestWallpaper::resolutionText_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<QString>("text");

    QTest::newRow("4k") << QSizeF(3840, 2160) << "3840x2160";
    QTest::newRow("fractions are cut") << QSizeF(1920.9, 1080.5) << "1920x1080";
    QTest::newRow("zero") << QSizeF(0, 0) << "0x0";
    QTest::newRow("not finite reads as zero")
        << QSizeF(std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()) << "0x0";
    QTest::newRow("too large reads as zero") << QSizeF(1e300, 720) << "0x720";
}

void TestWallpaper::resolutionText()
{
    QFETCH(QSizeF, size);
    QFETCH(QString, text);
    Wallpaper w;
    w.edit().resolution = size;
    QCOMPARE(w.resolutionText(), text);
}

void TestWallpaper::localizedTitle_data()
{
    using Titles = QMap<QString, QString>;
    QTest::addColumn<Wallpaper>("wallpaper");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    const Titles ptEn{{"pt", "A"}, {"en", "B"}};
    QTest::newRow("language without its region") << titled("T", ptEn) << "pt_BR" << "A";
    QTest::newRow("falls back to English") << titled("T", ptEn) << "de_DE" << "B";
    QTest::newRow("no titles") << titled("T", std::nullopt) << "pt_BR" << "T";
    QTest::newRow("no match and no English") << titled("T", Titles{{"fr", "F"}}) << "de_DE" << "T";
    QTest::newRow("empty titles") << titled("T", Titles{}) << "de_DE" << "T";
    QTest::newRow("region key first")
        << titled("T", Titles{{"pt", "A"}, {"pt-BR", "BR"}, {"en", "B"}}) << "pt_BR" << "BR";
    QTest::newRow("other region is not used")
        << titled("T", Titles{{"pt-PT", "PT"}, {"en", "B"}}) << "pt_BR" << "B";
    QTest::newRow("script key before language")
        << titled("T", Titles{{"zh", "Z"}, {"zh-Hant", "H"}}) << "zh_Hant_TW" << "H";
    QTest::newRow("region key before script key")
        << titled("T", Titles{{"zh-Hant", "H"}, {"zh-TW", "W"}}) << "zh_Hant_TW" << "W";
    QTest::newRow("keys are exact text") << titled("T", Titles{{"PT", "A"}, {"pt-br", "BR"}}) << "pt_BR" << "T";
    QTest::newRow("language-less locale reads English") << titled("T", ptEn) << "C" << "B";
    // Keys come from what the locale text names, never from likely subtags.
    const Titles ptBoth{{"pt-BR", "X"}, {"pt", "Y"}};
    QTest::newRow("language alone names no region") << titled("T", ptBoth) << "pt" << "Y";
    QTest::newRow("language alone skips other regions")
        << titled("T", Titles{{"es-ES", "ES"}, {"en", "B"}}) << "es" << "B";
    QTest::newRow("region names no script")
        << titled("T", Titles{{"zh-Hant", "H"}, {"zh", "Z"}}) << "zh_TW" << "Z";
    QTest::newRow("dash form and codeset") << titled("T", ptBoth) << "pt-BR.UTF-8" << "X";
}

void TestWallpaper::localizedTitle()
{
    QFETCH(Wallpaper, wallpaper);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(wallpaper.localizedTitle(LocaleName::fromText(locale)), expected);
}

QTEST_GUILESS_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
