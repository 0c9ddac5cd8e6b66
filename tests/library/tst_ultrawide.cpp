#include "FakeDisplays.h"
#include "HexID.h"
#include "LocalLibrary.h"
#include "ScreenModel.h"
#include "TemporaryHome.h"
#include "UltraWide.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestUltraWide : public QObject
{
    Q_OBJECT

private slots:
    void screensAtLeastTwiceAsWideAsHigh_data()
    {
        QTest::addColumn<QList<QSize>>("displays");
        QTest::addColumn<bool>("ultraWide");
        QTest::newRow("3440x1440") << QList<QSize>{{3440, 1440}} << true;
        QTest::newRow("2560x1440") << QList<QSize>{{2560, 1440}} << false;
        QTest::newRow("exactly 2:1") << QList<QSize>{{3840, 1920}} << true;
        QTest::newRow("zero height is skipped") << QList<QSize>{{3440, 0}} << false;
        QTest::newRow("second display counts") << QList<QSize>{{1920, 1080}, {5120, 1440}} << true;
        QTest::newRow("no displays") << QList<QSize>{} << false;
    }

    void screensAtLeastTwiceAsWideAsHigh()
    {
        QFETCH(QList<QSize>, displays);
        FakeDisplays fake;
        QList<ScreenModel> screens;
        for (const QSize& size : displays) {
            const ConnectedDisplay display = fake.addDisplay("D", QRect(QPoint(), size));
            screens.append(ScreenModel(*display.number, display.localizedName));
        }
        QTEST(UltraWide::anyUltraWideScreen(screens, fake), "ultraWide");
    }

    void aScreenWithoutItsDisplayIsSkipped()
    {
        FakeDisplays fake;
        fake.addDisplay("D", QRect(0, 0, 3440, 1440));
        QVERIFY(!UltraWide::anyUltraWideScreen({ScreenModel(99, "gone")}, fake));
    }

    void catalogueWallpapersForTheDisplay()
    {
        TemporaryHome home;
        const QString downloads = home.filePath("Downloads");
        LocalLibrary library(downloads);
        const auto wallpaper = [](const QString& hex, QSizeF size, qint64 downloads) {
            Wallpaper w;
            w.edit().hexID = hex;
            w.id = uuidFromHexID(hex);
            w.edit().resolution = size;
            w.edit().downloadCount = downloads;
            return w;
        };
        const QList<Wallpaper> all{wallpaper("a1", {3840, 1920}, 5), wallpaper("a2", {3840, 2160}, 99),
                                   wallpaper("a3", {5120, 1440}, 7), wallpaper("a4", {3440, 1440}, 5),
                                   wallpaper("a5", {3440, 0}, 50), wallpaper("own", {5120, 1440}, 80)};
        QVERIFY(QDir().mkpath(downloads + "/own"));
        QFile meta(downloads + "/own/metadata.json");
        QVERIFY(meta.open(QIODevice::WriteOnly));
        meta.close();

        QStringList order;
        for (const Wallpaper& w : UltraWide::catalogueWallpapers(all, library))
            order.append(w.hexID());
        QCOMPARE(order, (QStringList{"a3", "a1", "a4"}));
    }
};

QTEST_GUILESS_MAIN(TestUltraWide)
#include "tst_ultrawide.moc"
