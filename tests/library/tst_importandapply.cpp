#include "LibraryRig.h"
#include "LocalImporter.h"
#include "TestClip.h"

#include <QTemporaryDir>
#include <QtTest>

// A video the user imports can be applied at once, without a restart.
class TestImportAndApply : public QObject
{
    Q_OBJECT

private slots:
    void anImported1080pClipReachesTheDesktop()
    {
        LibraryRig rig;
        rig.addTwoDisplays();
        WallpaperManager& library = rig.startOnAllDisplays();
        LocalImporter importer(rig.downloads(), rig.account, LocalImporter::into(library));
        QTemporaryDir sources;
        TestClip::Recipe recipe;
        recipe.size = QSize(1920, 1080);
        recipe.frames = 10;
        recipe.movingPattern = true;
        QString error;
        QVERIFY2(TestClip::write(sources.filePath("Holiday.mp4"), recipe, &error), qPrintable(error));

        QFuture<Wallpaper> import = importer.importLocalFile(sources.filePath("Holiday.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(import.isFinished(), 90000);
        const Wallpaper imported = import.result();
        QCOMPARE(imported.resolution(), QSizeF(1920, 1080));

        library.apply(imported);
        QCOMPARE(rig.desktop.calls, QStringList { "video Holiday.mov all" });
        QVERIFY(library.isActive(imported.id));
        for (const ScreenModel& record : rig.desktop.records)
            QCOMPARE(record.wallpaperID, std::optional<QUuid>(imported.id));
    }
};

QTEST_GUILESS_MAIN(TestImportAndApply)
#include "tst_importandapply.moc"
