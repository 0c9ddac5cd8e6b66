#include "CategoryWallpaperModel.h"
#include "HexID.h"
#include "WallpaperList.h"
#include "WallpaperListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

Wallpaper item(int n, const QString& title = {}, WallpaperCategory category = WallpaperCategory::nature)
{
    Wallpaper w;
    w.edit().hexID = QStringLiteral("%1").arg(n, 24, 16, QLatin1Char('0'));
    w.id = uuidFromHexID(w.hexID());
    w.edit().title = title.isEmpty() ? QStringLiteral("W%1").arg(n) : title;
    w.edit().category = category;
    return w;
}

QStringList titles(const WallpaperList& list)
{
    QStringList out;
    for (const Wallpaper& w : list.items())
        out.append(w.title());
    return out;
}

} // namespace

class TestWallpaperList : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_list = std::make_unique<WallpaperList>();
        m_model = std::make_unique<WallpaperListModel>(*m_list);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void mergeReplacesInPlaceAndAppendsNew()
    {
        m_list->assign({item(1), item(2), item(3), item(4)});
        QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);

        m_list->merge({item(5), item(3, "new 3"), item(6), item(5, "new 5")});

        QCOMPARE(titles(*m_list), (QStringList{"W1", "W2", "new 3", "W4", "new 5", "W6"}));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 4);
        QCOMPARE(inserted.first().at(2).toInt(), 5);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 2);
        QCOMPARE(reset.size(), 0);
        QCOMPARE(m_model->index(2).data(WallpaperListModel::TitleRole).toString(), QString("new 3"));
        QCOMPARE(m_list->rowOf(item(6).id), std::optional<qsizetype>(5));
    }

    void mergeReplacesTheLastRowOfARepeatedId()
    {
        m_list->assign({item(1, "first"), item(2), item(1, "second")});
        m_list->merge({item(1, "merged")});
        QCOMPARE(titles(*m_list), (QStringList{"first", "W2", "merged"}));
    }

    void assigningTheSameIdsUpdatesRowsWithoutAReset()
    {
        m_list->assign({item(1), item(2)});
        QSignalSpy ids(m_list.get(), &WallpaperList::idsChanged);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

        m_list->assign({item(1, "renamed"), item(2)});
        QCOMPARE(ids.size(), 0);
        QCOMPARE(reset.size(), 0);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(m_model->index(0).data().toString(), QString("renamed"));

        m_list->assign({item(2), item(1)}); // same ids, other order
        QCOMPARE(ids.size(), 1);
        m_list->assign({});
        m_list->assign({});
        QCOMPARE(ids.size(), 2);
        QCOMPARE(reset.size(), 0);
    }

    // A view making delegates asynchronously cancels them by row: a reset would
    // leave it a row that no longer exists.
    void assigningOtherIdsMovesOnlyTheRowsBetweenTheSameEnds()
    {
        m_list->assign({item(1), item(2), item(3), item(4), item(5)});
        QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);

        m_list->assign({item(1), item(6), item(5, "kept, new record")});
        QCOMPARE(titles(*m_list), (QStringList{"W1", "W6", "kept, new record"}));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.first().at(1).toInt(), 1);
        QCOMPARE(removed.first().at(2).toInt(), 3);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 1);
        QCOMPARE(inserted.first().at(2).toInt(), 1);
        QCOMPARE(m_list->rowOf(item(5).id), std::optional<qsizetype>(2));

        m_list->assign({item(1)}); // a shorter list: removals alone
        m_list->assign({item(7), item(1)}); // a longer one: insertions alone
        QCOMPARE(titles(*m_list), (QStringList{"W7", "W1"}));
        QCOMPARE(removed.size(), 2);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(reset.size(), 0);
    }

    void removeIfKeepsTheOrderOfTheRest_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("every"); // remove rows whose number is a multiple
        QTest::newRow("one run") << 10 << 100;
        QTest::newRow("scattered rows") << 30 << 3;
        QTest::newRow("many runs reset") << 400 << 2;
    }

    void removeIfKeepsTheOrderOfTheRest()
    {
        QFETCH(int, count);
        QFETCH(int, every);
        QList<Wallpaper> items;
        for (int i = 1; i <= count; ++i)
            items.append(item(i));
        m_list->assign(items);
        const auto removable = [&](const Wallpaper& w) {
            const int n = w.title().mid(1).toInt();
            return every == 100 ? (n >= 3 && n <= 5) : n % every == 0;
        };
        const qsizetype expected = std::count_if(items.cbegin(), items.cend(), removable);
        QCOMPARE(m_list->removeIf(removable), expected);
        QCOMPARE(m_model->rowCount(), count - int(expected));
        for (qsizetype row = 0; row < m_list->size(); ++row) {
            QVERIFY(!removable(m_list->at(row)));
            QCOMPARE(m_list->rowOf(m_list->at(row).id), std::optional(row));
        }
        QCOMPARE(m_list->removeIf(removable), 0);
    }

    void aPlanMadeElsewhereIsAppliedOrRefused_data()
    {
        QTest::addColumn<QList<int>>("merged");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("only new rows") << QList<int>{3, 4} << QStringList{"old 1", "old 2", "W3", "W4"};
        QTest::newRow("replacing the last row and adding") << QList<int>{2, 5} << QStringList{"old 1", "W2", "W5"};
        QTest::newRow("only replacements") << QList<int>{1} << QStringList{"W1", "old 2"};
    }

    void aPlanMadeElsewhereIsAppliedOrRefused()
    {
        QFETCH(QList<int>, merged);
        m_list->assign({item(1, "old 1"), item(2, "old 2")});
        QList<Wallpaper> records;
        for (int n : merged)
            records.append(item(n));
        WallpaperList::MergePlan plan = WallpaperList::planMerge(m_list->snapshot(), records);
        QVERIFY(m_list->applyMerge(plan));
        QTEST(titles(*m_list), "titles");
        QCOMPARE(m_model->rowCount(), int(m_list->size()));
        for (qsizetype row = 0; row < m_list->size(); ++row)
            QCOMPARE(m_list->rowOf(m_list->at(row).id), std::optional(row));

        // A plan from before a change is refused and changes nothing.
        WallpaperList::MergePlan stale = WallpaperList::planMerge(m_list->snapshot(), {item(9)});
        m_list->removeIf([](const Wallpaper& w) { return w.title() == "W1" || w.title() == "old 1"; });
        const QStringList before = titles(*m_list);
        QVERIFY(!m_list->applyMerge(stale));
        QCOMPARE(titles(*m_list), before);
    }

    void rolesDescribeTheRecord()
    {
        Wallpaper w = item(1, "Sea");
        w.edit().localizedTitles = QMap<QString, QString>{{"de", "Meer"}};
        w.edit().wallpaperType = WallpaperType::video;
        w.edit().resolution = QSizeF(3840, 2160);
        w.edit().cloudID = w.hexID();
        m_list->assign({w});
        const QModelIndex index = m_model->index(0);
        m_model->setLocale(LocaleName::fromText(u"de_DE"));
        QCOMPARE(index.data(WallpaperListModel::TitleRole).toString(), QString("Meer"));
        QCOMPARE(index.data(WallpaperListModel::TypeRole).toString(), QString("video"));
        QCOMPARE(index.data(WallpaperListModel::ResolutionTextRole).toString(), QString("3840x2160"));
        QCOMPARE(index.data(WallpaperListModel::CategoryRole).toString(), QString("Nature"));
        QCOMPARE(index.data(WallpaperListModel::CloudIDRole).toString(), w.hexID());
        QVERIFY(!index.data(WallpaperListModel::RemoteThumbnailURLRole).isValid());
        QCOMPARE(index.data(WallpaperListModel::WallpaperRole).value<Wallpaper>().id, w.id);
        QVERIFY(m_model->roleNames().values().contains("title"));
    }

    void categoryModelFollowsTheLibrary()
    {
        CategoryWallpaperModel space(WallpaperCategory::space, *m_model);
        QAbstractItemModelTester tester(&space, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy count(&space, &CategoryWallpaperModel::countChanged);
        m_list->assign({item(1), item(2, {}, WallpaperCategory::space)});
        QCOMPARE(space.rowCount(), 1);
        m_list->merge({item(3, {}, WallpaperCategory::space), item(1, "now space", WallpaperCategory::space)});
        QCOMPARE(space.rowCount(), 3);
        m_list->removeIf([](const Wallpaper& w) { return w.title() == "W2"; });
        QCOMPARE(space.rowCount(), 2);
        QCOMPARE(space.index(0, 0).data().toString(), QString("now space"));
        QVERIFY(count.size() >= 3);
    }

    void loadingIsPublishedOnChange()
    {
        QSignalSpy loading(m_model.get(), &WallpaperListModel::loadingChanged);
        m_model->setLoading(true);
        m_model->setLoading(true);
        m_model->setLoading(false);
        QCOMPARE(loading.size(), 2);
    }

private:
    std::unique_ptr<WallpaperList> m_list;
    std::unique_ptr<WallpaperListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

QTEST_GUILESS_MAIN(TestWallpaperList)
#include "tst_wallpaperlist.moc"
