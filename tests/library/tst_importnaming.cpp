#include "ImportNaming.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

class TestImportNaming : public QObject
{
    Q_OBJECT

private slots:
    void titlesComeFromFileNames_data();
    void titlesComeFromFileNames();
    void videosAreKnownByExtension_data();
    void videosAreKnownByExtension();
    void contentNamesStayInTheFolder_data();
    void contentNamesStayInTheFolder();
    void longTitlesAreCutToWholeCharacters();
    void hexIDsAreSevenLowerCaseDigits();
    void categoriesComeFromMetadata_data();
    void categoriesComeFromMetadata();
};

void TestImportNaming::titlesComeFromFileNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");

    QTest::newRow("extension dropped") << "/home/u/Videos/Holiday.MOV"
                                       << "Holiday";
    QTest::newRow("only the last extension") << "a.b.mov"
                                             << "a.b";
    QTest::newRow("no extension") << "photo"
                                  << "photo";
    QTest::newRow("leading identifier removed") << "3F2504E0-4F89-11D3-9A0C-0305E82C3301-Sunset.mov"
                                                << "Sunset";
    QTest::newRow("lower-case identifier too") << "3f2504e0-4f89-11d3-9a0c-0305e82c3301-Sunset.mov"
                                               << "Sunset";
    QTest::newRow("trailing identifier kept") << "Sunset-3F2504E0-4F89-11D3-9A0C-0305E82C3301.mov"
                                              << "Sunset-3F2504E0-4F89-11D3-9A0C-0305E82C3301";
    QTest::newRow("only the identifier") << "3F2504E0-4F89-11D3-9A0C-0305E82C3301-.mov"
                                         << "";
    QTest::newRow("one prefix only")
        << "3F2504E0-4F89-11D3-9A0C-0305E82C3301-3F2504E0-4F89-11D3-9A0C-0305E82C3301-x.mov"
        << "3F2504E0-4F89-11D3-9A0C-0305E82C3301-x";
}

void TestImportNaming::titlesComeFromFileNames()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ImportNaming::titleFromFileName(path), title);
}

void TestImportNaming::videosAreKnownByExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("video");

    for (const char* name : { "a.mp4", "a.MOV", "a.m4v", "a.avi", "a.Mkv" })
        QTest::newRow(name) << name << true;
    for (const char* name : { "a.png", "a.heic", "photo", "a.mov.txt", "mov" })
        QTest::newRow(name) << name << false;
}

void TestImportNaming::videosAreKnownByExtension()
{
    QFETCH(QString, path);
    QFETCH(bool, video);
    QCOMPARE(ImportNaming::isVideoFile(path), video);
}

void TestImportNaming::contentNamesStayInTheFolder_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << "Holiday"
                           << "mov"
                           << "Holiday.mov";
    QTest::newRow("spaces and dots inside kept") << "Trip to St. Ives"
                                                 << "mov"
                                                 << "Trip to St. Ives.mov";
    QTest::newRow("parent folder") << "../../etc/passwd"
                                   << "mov"
                                   << "_.._etc_passwd.mov";
    QTest::newRow("backslash") << "a\\b"
                               << "png"
                               << "a_b.png";
    QTest::newRow("hidden") << "  .hidden "
                            << "mov"
                            << "hidden.mov";
    QTest::newRow("control characters") << "line\nbreak\t"
                                        << "mov"
                                        << "line_break_.mov";
    QTest::newRow("empty") << ""
                           << "mov"
                           << "Wallpaper.mov";
    QTest::newRow("only dots") << ".."
                               << "mov"
                               << "Wallpaper.mov";
    QTest::newRow("would be the preview") << "preview"
                                          << "mov"
                                          << "content.mov";
    QTest::newRow("would be the poster") << "Poster"
                                         << "png"
                                         << "content.png";
    QTest::newRow("would look like a download in progress") << "film"
                                                            << "part"
                                                            << "content.part";
}

void TestImportNaming::contentNamesStayInTheFolder()
{
    QFETCH(QString, title);
    QFETCH(QString, extension);
    QFETCH(QString, name);
    QCOMPARE(ImportNaming::contentFileName(title, extension), name);
}

void TestImportNaming::longTitlesAreCutToWholeCharacters()
{
    const QString title = QString(150, QChar(u'é')) + QString::fromUtf16(u"\U0001F30A");
    const QString name = ImportNaming::contentFileName(title + title, "mov");
    QVERIFY(name.endsWith(".mov"));
    const QString stem = name.chopped(4);
    QVERIFY(stem.toUtf8().size() <= 200);
    QCOMPARE(stem, QString(100, QChar(u'é')));
}

void TestImportNaming::hexIDsAreSevenLowerCaseDigits()
{
    static const QRegularExpression pattern("^[0-9a-f]{7}$");
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString id = ImportNaming::makeHexID();
        QVERIFY2(pattern.match(id).hasMatch(), qPrintable(id));
        seen.insert(id);
    }
    QVERIFY(seen.size() > 190);
}

void TestImportNaming::categoriesComeFromMetadata_data()
{
    QTest::addColumn<std::optional<QString>>("category");
    QTest::addColumn<bool>("hasMetadata");
    QTest::addColumn<WallpaperCategory>("expected");

    QTest::newRow("lower case") << std::optional<QString>("space") << true << WallpaperCategory::space;
    QTest::newRow("two words") << std::optional<QString>("tv shows") << true << WallpaperCategory::tvShows;
    QTest::newRow("with a dash") << std::optional<QString>("SCI-FI") << true << WallpaperCategory::sciFi;
    QTest::newRow("no such category") << std::optional<QString>("TVShows") << true << WallpaperCategory::digitalArt;
    QTest::newRow("no category") << std::optional<QString>() << true << WallpaperCategory::digitalArt;
    QTest::newRow("no metadata") << std::optional<QString>() << false << WallpaperCategory::digitalArt;
}

void TestImportNaming::categoriesComeFromMetadata()
{
    QFETCH(std::optional<QString>, category);
    QFETCH(bool, hasMetadata);
    QFETCH(WallpaperCategory, expected);
    std::optional<EmbeddedMetadata> metadata;
    if (hasMetadata) {
        metadata.emplace();
        metadata->category = category;
    }
    QCOMPARE(ImportNaming::categoryFromMetadata(metadata), expected);
}

QTEST_GUILESS_MAIN(TestImportNaming)
#include "tst_importnaming.moc"
