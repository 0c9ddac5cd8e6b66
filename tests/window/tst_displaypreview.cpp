#include "DisplayPreviewModel.h"
#include "DisplayStrip.h"
#include "ScreenTileMetrics.h"
#include "LibraryRig.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

class TestDisplayPreview : public QObject
{
    Q_OBJECT

private slots:
    void stripSizeAndPaging_data();
    void stripSizeAndPaging();
    void pagingStepsStopAtTheEnds();
    void tileSizes_data();
    void tileSizes();
    void tilesShowNamesWallpapersAndSelection();
    void tileClickChoosesItsDisplay();
    void changedWallpaperKeepsTheRows();
};

void TestDisplayPreview::stripSizeAndPaging_data()
{
    QTest::addColumn<int>("displays");
    QTest::addColumn<bool>("compact");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("paging");
    QTest::addColumn<int>("shown");

    QTest::newRow("one") << 1 << false << 132.0 << 68.0 << false << 1;
    QTest::newRow("one compact") << 1 << true << 83.0 << 45.0 << false << 1;
    QTest::newRow("two") << 2 << false << 234.0 << 68.0 << false << 2;
    QTest::newRow("two compact") << 2 << true << 144.0 << 45.0 << false << 2;
    QTest::newRow("five") << 5 << false << 48.0 + 420 + 72 << 68.0 << false << 5;
    QTest::newRow("six") << 6 << false << 596.0 << 68.0 << true << 5;
    QTest::newRow("seven") << 7 << false << 596.0 << 68.0 << true << 5;
}

void TestDisplayPreview::stripSizeAndPaging()
{
    QFETCH(int, displays);
    QFETCH(bool, compact);
    DisplayStrip strip;
    strip.setDisplayCount(displays);
    strip.setCompact(compact);
    QTEST(strip.width(), "width");
    QTEST(strip.height(), "height");
    QTEST(strip.paging(), "paging");
    QTEST(strip.endShown() - strip.firstShown(), "shown");
    QCOMPARE(strip.cornerRadius(), strip.height() * 0.18);
}

void TestDisplayPreview::pagingStepsStopAtTheEnds()
{
    DisplayStrip strip;
    strip.setDisplayCount(6);
    QVERIFY(!strip.canGoBack());
    QVERIFY(strip.canGoForward());
    strip.goBack();
    QCOMPARE(strip.scrollOffset(), 0);

    strip.goForward();
    QCOMPARE(strip.firstShown(), 1);
    QCOMPARE(strip.endShown(), 6);
    QVERIFY(!strip.canGoForward());
    QVERIFY(strip.canGoBack());
    strip.goForward();
    QCOMPARE(strip.scrollOffset(), 1);

    // Fewer displays later: the offset stays, the start is capped, no paging below six.
    strip.setDisplayCount(2);
    QCOMPARE(strip.scrollOffset(), 1);
    QCOMPARE(strip.firstShown(), 0);
    QCOMPARE(strip.endShown(), 2);
    QVERIFY(!strip.canGoBack());
}

void TestDisplayPreview::tileSizes_data()
{
    QTest::addColumn<bool>("compact");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("hovered");
    QTest::addColumn<double>("pictureWidth");
    QTest::addColumn<double>("pictureHeight");
    QTest::addColumn<double>("innerWidth");
    QTest::addColumn<double>("innerRadius");
    QTest::addColumn<double>("borderWidth");
    QTest::addColumn<double>("borderOpacity");

    QTest::newRow("rest") << false << false << false << 72.0 << 44.0 << 64.0 << 6.0 << 3.0 << 0.35;
    QTest::newRow("hovered") << false << false << true << 74.88 << 45.76 << 66.56 << 6.24 << 3.0 << 0.6;
    QTest::newRow("selected") << false << true << false << 76.32 << 46.64 << 67.84 << 6.36 << 4.0 << 0.9;
    QTest::newRow("selected wins over hover") << false << true << true << 76.32 << 46.64 << 67.84 << 6.36 << 4.0 << 0.9;
    QTest::newRow("compact never grows") << true << true << true << 43.0 << 27.0 << 39.0 << 3.0 << 4.0 << 0.9;
    QTest::newRow("compact hovered") << true << false << true << 43.0 << 27.0 << 39.0 << 3.0 << 3.0 << 0.6;
}

void TestDisplayPreview::tileSizes()
{
    QFETCH(bool, compact);
    QFETCH(bool, selected);
    QFETCH(bool, hovered);
    QFETCH(double, innerWidth);
    ScreenTileMetrics tile;
    tile.setCompact(compact);
    tile.setSelected(selected);
    tile.setHovered(hovered);
    QTEST(tile.pictureWidth(), "pictureWidth");
    QTEST(tile.pictureHeight(), "pictureHeight");
    QCOMPARE(tile.pictureWidth() - 2 * tile.inset(), innerWidth);
    QTEST(tile.innerRadius(), "innerRadius");
    QTEST(tile.borderWidth(), "borderWidth");
    QTEST(tile.borderOpacity(), "borderOpacity");
    QCOMPARE(tile.footprintWidth(), compact ? 51.0 : 84.0);
}

namespace {

// The rig's two displays, with item 1 recorded on the second one.
struct PreviewRig
{
    PreviewRig()
    {
        rig.addTwoDisplays();
        rig.screens.screens[1].wallpaperID = catalogueItem(1).id;
        rig.start();
        Wallpaper item = catalogueItem(1);
        item.edit().previewColors = {QColor("#ff0000"), QColor("#0000ff")};
        rig.manager->mergeIntoLibrary({item}).waitForFinished();
        model.setWallpaperManager(rig.manager.get());
    }

    LibraryRig rig;
    DisplayPreviewModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    QVariant at(int row, DisplayPreviewModel::Role role) const { return model.data(model.index(row), role); }
};

} // namespace

void TestDisplayPreview::tilesShowNamesWallpapersAndSelection()
{
    PreviewRig preview;
    QCOMPARE(preview.model.count(), 2);
    // The first display is the main one: named so whatever it calls itself.
    QCOMPARE(preview.at(0, DisplayPreviewModel::NameRole).toString(), "Main Display");
    QCOMPARE(preview.at(1, DisplayPreviewModel::NameRole).toString(), "Display 2");
    QCOMPARE(preview.at(0, DisplayPreviewModel::PreviewColorsRole).toList(), QVariantList());
    QCOMPARE(preview.at(1, DisplayPreviewModel::PreviewColorsRole).toList(),
             (QVariantList{QColor("#ff0000"), QColor("#0000ff")}));
    QVERIFY(preview.at(1, DisplayPreviewModel::ThumbnailURLRole).toUrl().isEmpty());
    // The library starts on the main display.
    QVERIFY(preview.at(0, DisplayPreviewModel::IsSelectedRole).toBool());
    QVERIFY(!preview.at(1, DisplayPreviewModel::IsSelectedRole).toBool());

    // A poster on disk becomes the tile's picture.
    const QString hex = catalogueItem(1).hexID();
    QDir().mkpath(preview.rig.downloads() + "/" + hex);
    QImage poster(16, 9, QImage::Format_RGB32);
    poster.fill(Qt::green);
    QVERIFY(poster.save(preview.rig.downloads() + "/" + hex + "/Poster.png"));
    preview.rig.manager->refreshConnectedScreens();
    preview.rig.manager->selectScreen("2");
    QVERIFY(preview.at(1, DisplayPreviewModel::ThumbnailURLRole).toUrl().isLocalFile());
}

void TestDisplayPreview::tileClickChoosesItsDisplay()
{
    PreviewRig preview;
    QSignalSpy changed(&preview.model, &QAbstractItemModel::dataChanged);
    preview.model.select(1);
    QCOMPARE(*preview.rig.manager->selectedScreenKey(), "2");
    QVERIFY(preview.at(1, DisplayPreviewModel::IsSelectedRole).toBool());
    QVERIFY(!preview.at(0, DisplayPreviewModel::IsSelectedRole).toBool());
    QCOMPARE(changed.count(), 2);
    // Nothing ever brings the library back to every display from here.
    preview.rig.manager->selectScreen(QString());
    preview.model.select(7);
    QCOMPARE(*preview.rig.manager->selectedScreenKey(), "2");
}

void TestDisplayPreview::changedWallpaperKeepsTheRows()
{
    PreviewRig preview;
    QSignalSpy resets(&preview.model, &QAbstractItemModel::modelReset);
    preview.rig.screens.screens[0].wallpaperID = catalogueItem(1).id;
    preview.rig.manager->refreshConnectedScreens();
    QCOMPARE(preview.at(0, DisplayPreviewModel::PreviewColorsRole).toList().size(), 2);
    QCOMPARE(resets.count(), 0);

    // A display leaves, another comes: only their tiles go and come.
    QSignalSpy removed(&preview.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&preview.model, &QAbstractItemModel::rowsInserted);
    preview.rig.screens.screens.removeLast();
    preview.rig.manager->refreshConnectedScreens();
    QCOMPARE(preview.model.count(), 1);
    preview.rig.screens.screens.append(ScreenModel(3, QStringLiteral("Display 3")));
    preview.rig.manager->refreshConnectedScreens();
    QCOMPARE(preview.model.count(), 2);
    QCOMPARE(preview.at(1, DisplayPreviewModel::NameRole).toString(), "Display 3");
    QCOMPARE(removed.count(), 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(resets.count(), 0);
}

QTEST_MAIN(TestDisplayPreview)
#include "tst_displaypreview.moc"
