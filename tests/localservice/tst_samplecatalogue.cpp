#include "LocalService.h"
#include "SampleCatalogue.h"
#include "SampleRecipes.h"
#include "SyntheticClip.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestSampleCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void syntheticClip_data();
    void syntheticClip();
    void recipesSpanTheCatalogue();
    void sampleHandlesCanBeTyped();
    void extraRecordsAreAddedOnce();
    void aFilledCatalogueIsLeftAlone();
};

void TestSampleCatalogue::syntheticClip_data()
{
    QTest::addColumn<QString>("graph");
    QTest::addColumn<bool>("written");

    QTest::newRow("test card") << u"testsrc2=s=64x36:r=5"_s << true;
    QTest::newRow("cells scaled up") << u"cellauto=s=16x9:r=5:rule=110,scale=64:36:flags=neighbor"_s << true;
    QTest::newRow("no such source") << u"nosuchsource=s=64x36"_s << false;
}

void TestSampleCatalogue::syntheticClip()
{
    QFETCH(QString, graph);
    QFETCH(bool, written);

    QTemporaryDir folder;
    const QString path = folder.filePath(u"clip.mp4"_s);
    QString error;
    QCOMPARE(SyntheticClip::write(graph, 10, 5, path, &error), written);
    QCOMPARE(QFileInfo(path).size() > 0, written);
    QCOMPARE(error.isEmpty(), written);
}

void TestSampleCatalogue::recipesSpanTheCatalogue()
{
    QSet<QString> categories, ids, tagIds;
    for (const APITag& tag : SampleRecipes::tags())
        tagIds.insert(tag.id);
    bool ultraWide = false;
    for (const SampleRecipes::Wallpaper& recipe : SampleRecipes::wallpapers()) {
        QVERIFY2(Catalogue::category(recipe.category), qPrintable(recipe.category));
        categories.insert(recipe.category);
        ids.insert(recipe.key);
        ultraWide = ultraWide || recipe.size.width() >= 2 * recipe.size.height();
        QVERIFY(recipe.creator < SampleRecipes::creators().size());
        for (const QString& tag : recipe.tags)
            QVERIFY2(tagIds.contains(tag), qPrintable(tag));
        QVERIFY(MediaStore::isSafeName(recipe.key));
    }
    QCOMPARE(categories.size(), 12);
    QCOMPARE(ids.size(), SampleRecipes::wallpapers().size());
    QVERIFY(ultraWide);
}

// A person can type each sample creator's handle into the handle field, so the
// service holds only handles of the form it takes for new ones.
void TestSampleCatalogue::sampleHandlesCanBeTyped()
{
    QTemporaryDir data;
    LocalService service(LocalService::Options { data.path() });
    const Accounts& accounts = service.accounts();
    for (const SampleRecipes::Creator& creator : SampleRecipes::creators())
        QVERIFY2(accounts.availability(creator.handle).available, qPrintable(creator.handle));
    QVERIFY(!accounts.availability(u"ana.pixels"_s).available);
    QVERIFY(accounts.availability(u"a_20_characters_long"_s).available);
}

void TestSampleCatalogue::extraRecordsAreAddedOnce()
{
    QTemporaryDir data, cache;
    LocalService service(LocalService::Options { data.path() });
    SampleCatalogue samples(service, cache.path());
    QVERIFY(samples.ensureExtraRecords(30));
    QVERIFY(samples.ensureExtraRecords(30));
    QCOMPARE(service.catalogue().wallpaperCount(), 30);
    QVERIFY(samples.ensureExtraRecords(40));
    QCOMPARE(service.catalogue().wallpaperCount(), 40);
}

void TestSampleCatalogue::aFilledCatalogueIsLeftAlone()
{
    QTemporaryDir data, cache;
    LocalService service(LocalService::Options { data.path() });
    SampleCatalogue samples(service, cache.path());
    QVERIFY(samples.ensureExtraRecords(1));
    QVERIFY(samples.ensure());
    QCOMPARE(service.catalogue().wallpaperCount(), 1);
    QVERIFY(QDir(cache.path()).isEmpty()); // nothing was made
}

QTEST_GUILESS_MAIN(TestSampleCatalogue)
#include "tst_samplecatalogue.moc"
