#include "StoreTestSupport.h"
#include "WallpaperStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Dictionary = PlistValue::Dictionary;
using namespace std::chrono_literals;
using namespace StoreTestSupport;

namespace {

const QString asset = QStringLiteral("6F1C2B3A-0000-4000-8000-00000000000A");
const QString mainDisplay = QStringLiteral("AAAAAAAA-0000-4000-8000-000000000001");
const QString otherDisplay = QStringLiteral("BBBBBBBB-0000-4000-8000-000000000002");
const QString thirdDisplay = QStringLiteral("CCCCCCCC-0000-4000-8000-000000000003");
const QUrl blackout = QUrl::fromLocalFile(QStringLiteral("/home/u/Library/Application Support/Lanto/Blackout.png"));
const QDateTime stampTime(QDate(2026, 3, 4), QTime(5, 6, 7), QTimeZone::utc());

using Mutation = std::function<Dictionary(Dictionary)>;

// A store stamped as the manager stamps it: the aerial on the main display, blackout on two others.
Dictionary stampedStore()
{
    Dictionary root;
    stampAerial(root, asset, mainDisplay, stampTime);
    stampImage(root, otherDisplay, blackout, stampTime);
    stampImage(root, thirdDisplay, blackout, stampTime);
    return root;
}

Dictionary anotherAerialContent()
{
    Dictionary root;
    stampAerial(root, QStringLiteral("11111111-0000-4000-8000-000000000000"), mainDisplay, stampTime);
    return dictionaryAt(root, { "SystemDefault", "Idle" });
}

Dictionary imageContent()
{
    Dictionary root;
    stampImage(root, mainDisplay, blackout, stampTime);
    return dictionaryAt(root, { "Displays", mainDisplay, "Idle" });
}

// A content whose choices are those of the given contents, in order.
Dictionary joinedChoices(const Dictionary& first, const Dictionary& second)
{
    PlistValue::Array choices = valueAt(first, { "Content", "Choices" })->toArray().value();
    choices += valueAt(second, { "Content", "Choices" })->toArray().value();
    return withValue(first, { "Content", "Choices" }, choices);
}

// A content of count aerial choices sharing one configuration.
Dictionary sharedChoices(const Dictionary& configuration, int count)
{
    const PlistValue choice = Dictionary { { "Provider", "com.apple.wallpaper.choice.aerials" },
        { "Configuration", PropertyList::serialize(configuration, PropertyList::Format::Binary) },
        { "Files", PlistValue::Array() } };
    return withValue(anotherAerialContent(), { "Content", "Choices" }, PlistValue::Array(count, choice));
}

} // namespace

Q_DECLARE_METATYPE(Mutation)

class WallpaperStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void aerialStampOfAnEmptyStoreHoldsExactlyThreeKeys()
    {
        Dictionary root;
        stampAerial(root, asset, mainDisplay, stampTime);

        QCOMPARE(root.keys(), QStringList({ "AllSpacesAndDisplays", "Displays", "SystemDefault" }));
        QCOMPARE(dictionaryAt(root, { "AllSpacesAndDisplays" }).keys(), QStringList({ "Idle", "Type" }));
        QCOMPARE(valueAt(root, { "AllSpacesAndDisplays", "Type" }), PlistValue("idle"));
        QCOMPARE(dictionaryAt(root, { "Displays" }).keys(), QStringList { mainDisplay });
        for (const QStringList& entry : { QStringList { "SystemDefault" }, QStringList { "Displays", mainDisplay } }) {
            const Dictionary stamped = dictionaryAt(root, entry);
            QCOMPARE(stamped.keys(), QStringList({ "Desktop", "Idle", "Type" }));
            QCOMPARE(stamped.value("Type"), PlistValue("individual"));
            QCOMPARE(stamped.value("Desktop"), stamped.value("Idle"));
        }
        const Dictionary content = dictionaryAt(root, { "SystemDefault", "Idle" });
        QCOMPARE(content.keys(), QStringList({ "Content", "LastSet", "LastUse" }));
        QCOMPARE(content.value("LastSet"), PlistValue(stampTime));
        QCOMPARE(content.value("LastUse"), PlistValue(stampTime));
        QCOMPARE(providers(content), QStringList { "com.apple.wallpaper.choice.aerials" });
        QCOMPARE(configuration(content), Dictionary({ { "assetID", asset } }));
        QCOMPARE(valueAt(content, { "Content", "Choices" })->toArray()->first().toDictionary()->value("Files"),
            PlistValue(PlistValue::Array()));
        QVERIFY(storeHasAerial(root, asset, mainDisplay, {}));
    }

    void aerialStampReplacesTheWholeAllSpacesEntryAndDropsLinked()
    {
        Dictionary root;
        root = withValue(root, { "AllSpacesAndDisplays", "Desktop" }, PlistValue("old"));
        root = withValue(root, { "AllSpacesAndDisplays", "Extra" }, PlistValue(1));
        root = withValue(root, { "SystemDefault", "Linked" }, PlistValue(true));
        root = withValue(root, { "SystemDefault", "Keep" }, PlistValue("system"));
        root = withValue(root, { "Displays", mainDisplay, "Linked" }, PlistValue(true));
        root = withValue(root, { "Spaces", "S1", "Default", "Linked" }, PlistValue(true));
        root = withValue(root, { "Foreign" }, PlistValue("kept"));

        stampAerial(root, asset, mainDisplay, stampTime);

        QCOMPARE(dictionaryAt(root, { "AllSpacesAndDisplays" }).keys(), QStringList({ "Idle", "Type" }));
        QVERIFY(!valueAt(root, { "SystemDefault", "Linked" }));
        QCOMPARE(valueAt(root, { "SystemDefault", "Keep" }), PlistValue("system"));
        QVERIFY(!valueAt(root, { "Displays", mainDisplay, "Linked" }));
        QVERIFY(!valueAt(root, { "Spaces", "S1", "Default", "Linked" }));
        QCOMPARE(configuration(dictionaryAt(root, { "Spaces", "S1", "Default", "Desktop" })),
            Dictionary({ { "assetID", asset } }));
        QCOMPARE(valueAt(root, { "Foreign" }), PlistValue("kept"));
    }

    void aerialStampVisitsSpacesWithoutCreatingTheirParts()
    {
        Dictionary root;
        root = withValue(root, { "Spaces", "bare", "Name" }, PlistValue("untouched"));
        root = withValue(root, { "Spaces", "withDisplays", "Displays" }, Dictionary());
        root = withValue(root, { "Spaces", "notADictionary" }, PlistValue(7));
        root = withValue(root, { "Spaces", "brokenDefault", "Default" }, PlistValue("text"));

        stampAerial(root, asset, mainDisplay, stampTime);

        QCOMPARE(dictionaryAt(root, { "Spaces", "bare" }), Dictionary({ { "Name", "untouched" } }));
        QCOMPARE(dictionaryAt(root, { "Spaces", "withDisplays", "Displays" }).keys(), QStringList { mainDisplay });
        QCOMPARE(valueAt(root, { "Spaces", "notADictionary" }), PlistValue(7));
        QCOMPARE(valueAt(root, { "Spaces", "brokenDefault", "Default" }), PlistValue("text"));
        QVERIFY(!valueAt(root, { "Spaces", "withDisplays", "Default" }));
    }

    void unexpectedTypesAreReplacedOnlyWhereTheStampOwnsThem()
    {
        Dictionary root { { "Displays", PlistValue("not a dictionary") }, { "Spaces", PlistValue(3) } };
        stampAerial(root, asset, mainDisplay, stampTime);
        QCOMPARE(dictionaryAt(root, { "Displays" }).keys(), QStringList { mainDisplay });
        QCOMPARE(valueAt(root, { "Spaces" }), PlistValue(3));

        root = withValue(root, { "Displays", otherDisplay }, PlistValue(5));
        stampImage(root, otherDisplay, blackout, stampTime);
        QCOMPARE(dictionaryAt(root, { "Displays", otherDisplay }).keys(), QStringList({ "Desktop", "Idle", "Type" }));
    }

    void imageStampKeepsLinkedUnderSpacesOnly()
    {
        Dictionary root;
        root = withValue(root, { "Displays", otherDisplay, "Linked" }, PlistValue(true));
        root = withValue(root, { "Spaces", "S1", "Displays", otherDisplay, "Linked" }, PlistValue(true));
        root = withValue(root, { "Spaces", "S2", "Name" }, PlistValue("no displays"));
        stampAerial(root, asset, mainDisplay, stampTime);
        const Dictionary systemDefault = dictionaryAt(root, { "SystemDefault" });
        const Dictionary allSpaces = dictionaryAt(root, { "AllSpacesAndDisplays" });

        stampImage(root, otherDisplay, blackout, stampTime);

        QVERIFY(!valueAt(root, { "Displays", otherDisplay, "Linked" }));
        QCOMPARE(valueAt(root, { "Spaces", "S1", "Displays", otherDisplay, "Linked" }), PlistValue(true));
        QCOMPARE(dictionaryAt(root, { "Spaces", "S2" }), Dictionary({ { "Name", "no displays" } }));
        QCOMPARE(dictionaryAt(root, { "SystemDefault" }), systemDefault);
        QCOMPARE(dictionaryAt(root, { "AllSpacesAndDisplays" }), allSpaces);
        for (const QStringList& entry :
            { QStringList { "Displays", otherDisplay }, QStringList { "Spaces", "S1", "Displays", otherDisplay } }) {
            const Dictionary content = dictionaryAt(root, entry + QStringList { "Desktop" });
            QCOMPARE(providers(content), QStringList { "com.apple.wallpaper.choice.image" });
            const QString reference = QStringLiteral("file:///home/u/Library/Application%20Support/Lanto/Blackout.png");
            QCOMPARE(configuration(content),
                Dictionary({ { "type", "url" }, { "imageFile", Dictionary({ { "relative", reference } }) } }));
        }
    }

    void imageReferencesArePercentEncodedPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reference");
        QTest::newRow("space") << "/a b/c.png"
                               << "file:///a%20b/c.png";
        QTest::newRow("path characters stay") << "/x/a-b_c~d.(1)+@,;=&$!'.png"
                                              << "file:///x/a-b_c~d.(1)+@,;=&$!'.png";
        QTest::newRow("reserved") << "/x/a#b?c%d.png"
                                  << "file:///x/a%23b%3Fc%25d.png";
        QTest::newRow("not ascii") << QString::fromUtf8("/x/\xc3\xa9.png") << "file:///x/%C3%A9.png";
    }

    void imageReferencesArePercentEncodedPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, reference);
        QCOMPARE(imageFileReference(path), reference);
    }

    void checkFollowsTheStampsInForce_data()
    {
        QTest::addColumn<Mutation>("mutation");
        QTest::addColumn<bool>("stamped");
        const auto unchanged = [](Dictionary root) { return root; };
        const auto set = [](QStringList path, std::optional<PlistValue> value) {
            return Mutation([=](Dictionary root) { return withValue(root, path, value); });
        };
        QTest::newRow("as stamped") << Mutation(unchanged) << true;
        QTest::newRow("no AllSpacesAndDisplays") << set({ "AllSpacesAndDisplays" }, std::nullopt) << true;
        QTest::newRow("AllSpacesAndDisplays without Idle")
            << set({ "AllSpacesAndDisplays", "Idle" }, std::nullopt) << true;
        QTest::newRow("AllSpacesAndDisplays with another asset")
            << set({ "AllSpacesAndDisplays", "Idle" }, anotherAerialContent()) << false;
        QTest::newRow("SystemDefault desktop lost")
            << set({ "SystemDefault", "Desktop" }, anotherAerialContent()) << false;
        QTest::newRow("SystemDefault idle lost") << set({ "SystemDefault", "Idle" }, std::nullopt) << false;
        QTest::newRow("no main entry") << set({ "Displays", mainDisplay }, std::nullopt) << false;
        QTest::newRow("other display missing") << set({ "Displays", thirdDisplay }, std::nullopt) << false;
        QTest::newRow("other display idle is the aerial")
            << set({ "Displays", otherDisplay, "Idle" }, dictionaryAt(stampedStore(), { "SystemDefault", "Idle" }))
            << false;
        QTest::newRow("aerial second among choices") << set({ "Displays", mainDisplay, "Idle" },
            joinedChoices(imageContent(), dictionaryAt(stampedStore(), { "SystemDefault", "Idle" })))
                                                     << true;
        QTest::newRow("other display: aerial first, image second") << set({ "Displays", otherDisplay, "Desktop" },
            joinedChoices(dictionaryAt(stampedStore(), { "SystemDefault", "Idle" }), imageContent()))
                                                                   << false;
        const auto withANumberAfter = [](const Dictionary& content) {
            PlistValue::Array choices = valueAt(content, { "Content", "Choices" })->toArray().value();
            choices.append(PlistValue(5));
            return withValue(content, { "Content", "Choices" }, choices);
        };
        QTest::newRow("other display: image choice, then a number")
            << set({ "Displays", otherDisplay, "Idle" }, withANumberAfter(imageContent())) << false;
        QTest::newRow("main display: aerial choice, then a number") << set({ "Displays", mainDisplay, "Desktop" },
            withANumberAfter(dictionaryAt(stampedStore(), { "SystemDefault", "Idle" }))) << false;
        QTest::newRow("configuration is not data") << Mutation([](Dictionary root) {
            const QStringList choices { "SystemDefault", "Idle", "Content", "Choices" };
            Dictionary choice = valueAt(root, choices)->toArray()->first().toDictionary().value();
            choice.insert("Configuration", PlistValue(asset));
            return withValue(root, choices, PlistValue::Array { choice });
        }) << false;
        // One costly configuration stands in 100,000 choices: it is parsed once.
        const Dictionary costly { { "assetID", "11111111-0000-4000-8000-000000000000" },
            { "padding", PlistValue::Array(3000, PlistValue(QStringLiteral("p"))) } };
        QTest::newRow("one costly configuration shared by many choices")
            << set({ "SystemDefault", "Idle" },
                   joinedChoices(sharedChoices(costly, 100000), dictionaryAt(stampedStore(), { "SystemDefault", "Idle" })))
            << true;
        // No aerial configuration is anywhere near this size; it is not read.
        const Dictionary oversized { { "assetID", asset }, { "padding", QByteArray(100 * 1024, 'p') } };
        QTest::newRow("oversized configuration naming the asset")
            << set({ "SystemDefault", "Idle" }, sharedChoices(oversized, 1)) << false;
        QTest::newRow("spaces are not examined") << set({ "Spaces", "S1", "Default" }, PlistValue(0)) << true;
    }

    void checkFollowsTheStampsInForce()
    {
        QFETCH(Mutation, mutation);
        QFETCH(bool, stamped);
        QCOMPARE(storeHasAerial(mutation(stampedStore()), asset, mainDisplay, { otherDisplay, thirdDisplay }), stamped);
    }

    void checkComparesTheAssetExactly()
    {
        const Dictionary root = stampedStore();
        QVERIFY(storeHasAerial(root, asset, mainDisplay, { otherDisplay }));
        QVERIFY(!storeHasAerial(root, asset.toLower(), mainDisplay, {}));
        QVERIFY(!storeHasAerial(root, asset, mainDisplay.toLower(), {}));
        QVERIFY(!storeHasAerial(root, asset, mainDisplay, { QStringLiteral("DDDDDDDD-0000-4000-8000-000000000004") }));
    }

    void storeFilesAreReadInEitherFormatAndWrittenAsBinary()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Store/Index.plist");
        using Status = WallpaperStoreFile::ReadResult::Status;
        QCOMPARE(WallpaperStoreFile::read(path).status, Status::Missing);
        QVERIFY(!indexPlistHasAerial(path, asset, mainDisplay, {}));

        QString error;
        QVERIFY(WallpaperStoreFile::write(path, stampedStore(), &error));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("bplist00"));
        QVERIFY(indexPlistHasAerial(path, asset, mainDisplay, { otherDisplay, thirdDisplay }));
        QVERIFY(!readWithPlistutil(path).isEmpty());

        QVERIFY(PropertyList::writeFile(path, stampedStore(), PropertyList::Format::Xml));
        QCOMPARE(WallpaperStoreFile::read(path).status, Status::Read);
        QVERIFY(indexPlistHasAerial(path, asset, mainDisplay, { otherDisplay }));

        for (const QByteArray& bytes :
            { QByteArray("not a plist"), PropertyList::serialize(PlistValue::Array(), PropertyList::Format::Binary) }) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            QCOMPARE(WallpaperStoreFile::read(path).status, Status::Unreadable);
            QVERIFY(!indexPlistHasAerial(path, asset, mainDisplay, {}));
        }
    }

    // Others may put a pipe where the store is: forcing it to disk does not wait on it.
    void flushLeavesAPipeAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Index.plist");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        std::promise<void> flushed;
        std::thread flusher([&] {
            WallpaperStoreFile::syncToDisk(path);
            flushed.set_value();
        });
        const bool returned = flushed.get_future().wait_for(5s) == std::future_status::ready;
        if (!returned) // a writer lets the blocked open go, so the thread can end
            ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
        flusher.join();
        QVERIFY(returned);
    }

    void stampedStoreMatchesTheGoldenFile()
    {
        Dictionary root;
        root = withValue(root, { "Spaces", "S1", "Default", "Linked" }, PlistValue(true));
        root = withValue(root, { "Spaces", "S1", "Displays", otherDisplay, "Linked" }, PlistValue(true));
        root = withValue(root, { "Version" }, PlistValue(2));
        stampAerial(root, asset, mainDisplay, stampTime);
        stampImage(root, otherDisplay, blackout, stampTime);
        QTemporaryDir dir;
        const QString path = dir.filePath("Index.plist");
        QString error;
        QVERIFY(WallpaperStoreFile::write(path, root, &error));
        QVERIFY(!readWithPlistutil(path).isEmpty());

        // Where the encoder puts each object inside a binary file is its own
        // affair; what the file holds, configurations included, is pinned.
        const auto written = PropertyList::readFile(path);
        QVERIFY(written);
        const QString readable = dir.filePath("readable.plist");
        QVERIFY(WallpaperStoreFile::write(readable, openConfigurations(*written).toDictionary().value(), &error));
        QFile golden(QFINDTESTDATA("data/index-stamped.xml"));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(readWithPlistutil(readable), golden.readAll());
    }

private:
    // The value with every binary "Configuration" replaced by what it encodes.
    static PlistValue openConfigurations(const PlistValue& value)
    {
        if (const auto array = value.toArray()) {
            PlistValue::Array opened;
            for (const PlistValue& element : *array)
                opened.append(openConfigurations(element));
            return opened;
        }
        auto dictionary = value.toDictionary();
        if (!dictionary)
            return value;
        for (auto it = dictionary->begin(); it != dictionary->end(); ++it) {
            const auto data = it->toData();
            if (it.key() == "Configuration" && data && data->startsWith("bplist00"))
                *it = PropertyList::parse(*data).value_or(PlistValue("unreadable"));
            else
                *it = openConfigurations(*it);
        }
        return *dictionary;
    }
};

QTEST_GUILESS_MAIN(WallpaperStoreTest)
#include "tst_wallpaperstore.moc"
