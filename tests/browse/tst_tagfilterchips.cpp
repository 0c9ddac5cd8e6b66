#include "BrowseRig.h"
#include "CategoryWallpaperModel.h"
#include "TagFilterChips.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {

// The chips as "kind:name", with a star on the lit ones.
QStringList shown(const TagChipModel& chips)
{
    QStringList result;
    for (int row = 0; row < chips.rowCount(); ++row) {
        const QModelIndex index = chips.index(row);
        result.append(index.data(TagChipModel::KindRole).toString() + ':'
                      + index.data(TagChipModel::NameRole).toString()
                      + (index.data(TagChipModel::SelectedRole).toBool() ? "*" : ""));
    }
    return result;
}

} // namespace

class TestTagFilterChips : public QObject
{
    Q_OBJECT

    static QList<APITag> catalogue()
    {
        return {catalogueTag("s1", "series", {}, 0, "zoo"),
                catalogueTag("s2", "series", {}, 0, "Zebra"),
                catalogueTag("c2", "character", "s1", 2, "Cid"),
                catalogueTag("c1", "character", "s1", 1, "Ann"),
                catalogueTag("c3", "character", "s1", 3, "Unused"),
                catalogueTag("t1", "theme", {}, 0, "rain"),
                catalogueTag("t2", "Theme", {}, 0, "wrong case"),
                catalogueTag("p1", "scene", {}, 0, "city")};
    }

    struct Bar
    {
        BrowseRig rig{catalogue()};
        TagFilterChips chips;
        QAbstractItemModelTester mainTester{chips.mainChips(), QAbstractItemModelTester::FailureReportingMode::QtTest};

        explicit Bar(const QList<Wallpaper>& wallpapers)
        {
            rig.add(wallpapers);
            chips.setManager(rig.manager.get());
            chips.setWallpapers(rig.manager->categoryModel(WallpaperCategory::nature));
        }
    };

private slots:
    void offersTheTagsInUse_data()
    {
        QTest::addColumn<QList<QStringList>>("tags");
        QTest::addColumn<QStringList>("main");
        QTest::newRow("no tags") << QList<QStringList>{{}, {"unknown"}} << QStringList{};
        QTest::newRow("themes only, no separator")
            << QList<QStringList>{{"t1", "t2"}} << QStringList{"theme:rain"};
        QTest::newRow("series and scenes, capitals first")
            << QList<QStringList>{{"s1", "c1"}, {"s2", "p1"}}
            << QStringList{"series:Zebra", "series:zoo", "separator:", "scene:city"};
        QTest::newRow("themes before scenes")
            << QList<QStringList>{{"p1", "t1"}, {"s1"}}
            << QStringList{"series:zoo", "separator:", "theme:rain", "scene:city"};
    }
    void offersTheTagsInUse()
    {
        QFETCH(QList<QStringList>, tags);
        QFETCH(QStringList, main);
        QList<Wallpaper> wallpapers;
        for (int n = 0; n < tags.size(); ++n)
            wallpapers.append(Item{n + 1, {}, tags.at(n)});
        Bar bar(wallpapers);
        QCOMPARE(shown(*bar.chips.mainChips()), main);
        QCOMPARE(bar.chips.characterChips()->count(), 0);
    }

    void selectingASeriesShowsItsCharactersInUse()
    {
        Bar bar({Item{1, {}, {"s1", "c2"}}, Item{2, {}, {"c1", "t1"}}, Item{3, {}, {"s2"}}});
        TagFilterChips& chips = bar.chips;

        chips.setSelectedTagId(chips.afterMainChip("s1"));
        QCOMPARE(shown(*chips.mainChips()), (QStringList{"series:Zebra", "series:zoo*", "separator:", "theme:rain"}));
        QCOMPARE(shown(*chips.characterChips()), (QStringList{"character:Ann", "character:Cid"}));
        QCOMPARE(chips.afterCharacterAll(), QString("s1"));

        // A character keeps its series lit; clicking it again goes back to the series.
        chips.setSelectedTagId(chips.afterCharacter("c2"));
        QCOMPARE(chips.impliedSeriesId(), QString("s1"));
        QCOMPARE(shown(*chips.characterChips()), (QStringList{"character:Ann", "character:Cid*"}));
        QCOMPARE(shown(*chips.mainChips()).at(1), QString("series:zoo*"));
        QCOMPARE(chips.afterCharacter("c2"), QString("s1"));
        QCOMPARE(chips.afterMainChip("s1"), QString("s1"));

        // A theme replaces the series and its characters go.
        chips.setSelectedTagId(chips.afterMainChip("t1"));
        QCOMPARE(chips.characterChips()->count(), 0);
        QCOMPARE(shown(*chips.mainChips()), (QStringList{"series:Zebra", "series:zoo", "separator:", "theme:rain*"}));
        QCOMPARE(chips.afterMainChip("t1"), QString());

        // A series none of whose characters is in use has no character row.
        chips.setSelectedTagId("s2");
        QCOMPARE(chips.characterChips()->count(), 0);
    }

    void anUnknownSelectionLightsNothing()
    {
        Bar bar({Item{1, {}, {"s1", "t1"}}});
        bar.chips.setSelectedTagId("gone");
        QCOMPARE(bar.chips.impliedSeriesId(), QString());
        QCOMPARE(shown(*bar.chips.mainChips()), (QStringList{"series:zoo", "separator:", "theme:rain"}));
    }

    void followsTheList()
    {
        Bar bar({Item{1, {}, {"t1"}}});
        QSignalSpy reset(bar.chips.mainChips(), &QAbstractItemModel::modelReset);
        bar.rig.add({Item{2, {}, {"p1"}}});
        QCOMPARE(shown(*bar.chips.mainChips()), (QStringList{"theme:rain", "scene:city"}));
        // Another wallpaper with tags already offered leaves the chips alone.
        bar.rig.add({Item{3, {}, {"t1"}}});
        QCOMPARE(reset.count(), 1);
    }
};

QTEST_MAIN(TestTagFilterChips)
#include "tst_tagfilterchips.moc"
