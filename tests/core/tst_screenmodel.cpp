#include "FakeDesktopPicture.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "ScreenModel.h"
#include "VirtualScheduler.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes a "ScreenModel" entry with only the fields a test chooses, as another
// version of the program or a damaged file might.
class RawRecord final : public KeyedCodable
{
public:
    std::optional<qint64> serial;
    std::optional<QString> name;
    std::optional<QString> wallpaperID;
    QString className = QStringLiteral("ScreenModel");

    QString archiveClassName() const override { return className; }
    void encode(KeyedEncoder& encoder) const override
    {
        if (serial)
            encoder.encodeInt64(QStringLiteral("serialNumber"), *serial);
        if (name)
            encoder.encodeString(QStringLiteral("screenName"), *name);
        if (wallpaperID)
            encoder.encodeString(QStringLiteral("wallpaperID"), *wallpaperID);
    }
};

QByteArray archiveOf(const QList<const KeyedCodable*>& objects)
{
    return std::get<QByteArray>(KeyedArchive::archiveArray(objects));
}

RawRecord rawRecord(std::optional<qint64> serial, std::optional<QString> name = std::nullopt)
{
    RawRecord record;
    record.serial = serial;
    record.name = std::move(name);
    return record;
}

// The record under an id, or a marker record that no test expects.
ScreenModel at(const ScreenModelMap& models, const QString& id)
{
    const auto it = models.constFind(id);
    return it != models.cend() ? *it : ScreenModel(0xDEAD, QStringLiteral("<missing>"));
}

} // namespace

class ScreenModelTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<LantoSettings>(m_dir->path(), m_scheduler);
    }

    void recordsRoundTripThroughTheSettingsFile()
    {
        ScreenModel full(4128, QStringLiteral("Studio Display"));
        full.isShowingWallpaper = true;
        full.wallpaperID = QUuid::fromString(QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF"));
        full.videoURL = QUrl::fromLocalFile(QStringLiteral("/home/u/Library/Application Support/Lanto/Downloads/ab/v.mp4"));
        full.wallpaperImageURL = QUrl::fromLocalFile(QStringLiteral("/tmp/still image.png"));
        full.systemWallpaperURL = QUrl::fromLocalFile(QStringLiteral("/usr/share/backgrounds/a.jpg"));
        full.playbackPosition = 12.625;
        // To the millisecond: the program taking the video over goes on by the time since.
        full.playbackPositionDate = QDateTime::fromMSecsSinceEpoch(1765300000123, Qt::UTC);
        ScreenModel bare(0, QString());
        ScreenModel::saveAll({{full.id(), full}, {bare.id(), bare}}, *m_settings);

        m_settings->flush();
        LantoSettings reread(m_dir->path(), m_scheduler);
        const ScreenModelMap loaded = ScreenModel::loadAll(reread);
        QCOMPARE(loaded.keys(), (QStringList{"0", "4128"}));
        ScreenModel expected = full;
        expected.isConnection = false;
        QCOMPARE(at(loaded, "4128"), expected);
        QCOMPARE(at(loaded, "0").screenName, QString());
        QVERIFY(!at(loaded, "0").videoURL);
        QVERIFY(!at(loaded, "0").wallpaperID);
        QVERIFY(!at(loaded, "0").playbackPositionDate);
        QVERIFY(!at(loaded, "0").isConnection);
    }

    void missingFieldsReadAsTheirDefaults()
    {
        RawRecord noName = rawRecord(7);
        RawRecord badId = rawRecord(8, QStringLiteral("Built-in"));
        badId.wallpaperID = QStringLiteral("not-a-uuid");
        RawRecord noSerial = rawRecord(std::nullopt, QStringLiteral("Nameless number"));
        m_settings->set(SettingsKey::screenModels, archiveOf({&noName, &badId, &noSerial}));

        const ScreenModelMap loaded = ScreenModel::loadAll(*m_settings);
        QCOMPARE(at(loaded, "7").screenName, QStringLiteral("Unknown"));
        QCOMPARE(at(loaded, "8").screenName, QStringLiteral("Built-in"));
        QVERIFY(!at(loaded, "8").wallpaperID);
        QCOMPARE(at(loaded, "0").screenName, QStringLiteral("Nameless number"));
        QCOMPARE(at(loaded, "7").playbackPosition, 0.0);
    }

    void laterDuplicateWinsAndOutOfRangeSerialsAreSkipped()
    {
        RawRecord first = rawRecord(5, QStringLiteral("first"));
        RawRecord second = rawRecord(5, QStringLiteral("second"));
        RawRecord tooLarge = rawRecord(qint64(1) << 32, QStringLiteral("too large"));
        RawRecord negative = rawRecord(-1, QStringLiteral("negative"));
        RawRecord largest = rawRecord(0xFFFFFFFF, QStringLiteral("largest"));
        m_settings->set(SettingsKey::screenModels, archiveOf({&first, &tooLarge, &second, &negative, &largest}));

        const ScreenModelMap loaded = ScreenModel::loadAll(*m_settings);
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(at(loaded, "5").screenName, QStringLiteral("second"));
        QCOMPARE(at(loaded, "4294967295").screenName, QStringLiteral("largest"));
    }

    void unusableArchivesGiveAnEmptyMap_data()
    {
        QTest::addColumn<std::optional<PlistValue>>("stored");
        QTest::addColumn<bool>("logged");
        RawRecord foreign = rawRecord(1);
        foreign.className = QStringLiteral("SomethingElse");
        QTest::newRow("absent") << std::optional<PlistValue>() << false;
        QTest::newRow("not data") << std::optional<PlistValue>(QStringLiteral("text")) << false;
        QTest::newRow("corrupt data") << std::optional<PlistValue>(QByteArray("garbage")) << true;
        QTest::newRow("foreign class") << std::optional<PlistValue>(archiveOf({&foreign})) << true;
    }

    void unusableArchivesGiveAnEmptyMap()
    {
        QFETCH(std::optional<PlistValue>, stored);
        QFETCH(bool, logged);
        m_settings->set(SettingsKey::screenModels, stored);
        LogCapture log;
        QVERIFY(ScreenModel::loadAll(*m_settings).isEmpty());
        const QStringList lines = log.lines();
        QCOMPARE(lines.size(), logged ? 1 : 0);
        if (logged)
            QVERIFY(lines.first().startsWith(QStringLiteral("Lanto: Failed to unarchive screen models: ")));
    }

    void rootThatIsNotAnArrayOfRecordsGivesAnEmptyMap()
    {
        // An archive whose root is a URL, not an array.
        const PlistValue::Dictionary urlRoot{
            {"$archiver", "NSKeyedArchiver"},
            {"$version", 100000},
            {"$top", PlistValue::Dictionary{{"root", PlistUid{1}}}},
            {"$objects", PlistValue::Array{"$null",
                                           PlistValue::Dictionary{{"NS.base", PlistUid{0}},
                                                                  {"NS.relative", PlistUid{2}},
                                                                  {"$class", PlistUid{3}}},
                                           "file:///tmp/a.png",
                                           PlistValue::Dictionary{{"$classname", "NSURL"},
                                                                  {"$classes", PlistValue::Array{"NSURL", "NSObject"}}}}},
        };
        m_settings->set(SettingsKey::screenModels,
                        PropertyList::serialize(urlRoot, PropertyList::Format::Binary));
        QVERIFY(ScreenModel::loadAll(*m_settings).isEmpty());
    }

    void recordForAnAttachedDisplay()
    {
        FakeDesktopPicture pictures;
        const QUrl picture = QUrl::fromLocalFile(QStringLiteral("/usr/share/backgrounds/hills.png"));
        pictures.setPicture(QStringLiteral("UUID-A"), picture);

        const ScreenModel numbered(ConnectedDisplay{77, QStringLiteral("Left"), QRect(), QStringLiteral("UUID-A"), {}},
                                   pictures);
        QCOMPARE(numbered.id(), QStringLiteral("77"));
        QCOMPARE(numbered.screenName, QStringLiteral("Left"));
        QVERIFY(numbered.isConnection);
        QVERIFY(!numbered.isShowingWallpaper);
        QCOMPARE(numbered.systemWallpaperURL, std::optional(picture));

        const ScreenModel unnumbered(
            ConnectedDisplay{std::nullopt, QStringLiteral("Right"), QRect(), QStringLiteral("UUID-B"), {}}, pictures);
        QCOMPARE(unnumbered.serialNumber(), 0u);
        QCOMPARE(unnumbered.id(), QStringLiteral("0"));
        QVERIFY(!unnumbered.systemWallpaperURL);
    }

private:
    VirtualScheduler m_scheduler;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LantoSettings> m_settings;
};

QTEST_GUILESS_MAIN(ScreenModelTest)
#include "tst_screenmodel.moc"
