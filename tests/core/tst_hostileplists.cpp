#include "CorpusFile.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "ScreenModel.h"
#include "VirtualScheduler.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// Every hostile input of the fuzz corpus, through each path that reads a
// property list: a plain parse, Settings.plist at start and on reload, and
// the "screenModels" archive. None may crash; the outcome of each is fixed.
namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The files a plain parse must accept: well-formed property lists within the limits.
const QSet<QString> wellFormed { "f1_utf16_nul_key.bin", "f2_archive_in_settings.xml.gz", "f4_archive_url_400k.bin.gz",
    "f4_archive_url_40k.bin.gz", "f5_bin_flat_array_100k.bin.gz", "f5_bin_flat_array_1m.bin.gz",
    "f7_date_ms_drift_binary.bin", "f7_date_wraps.bin", "t3f1_plist_escape_amplified.bin.gz",
    "t3f1_plist_uid_nodes.bin", "t3f1_plist_writeback_depth.bin", "t3f1_settings_uid_nodes.plist",
    "t3f1_settings_writeback_depth.plist", "t3f2_archive_url_base_chain.bin.gz",
    "t3f2_settings_url_base_chain.plist.gz", "t3f3_index_nested_configuration_1m.bin.gz",
    "t3f3_index_nested_configuration_60k.bin.gz", "t3f8_archive_url_lone_surrogate.bin" };

// Every hostile input of the corpus, by name.
QStringList hostileFiles()
{
    const QDir corpus(QFINDTESTDATA("../../fuzz/corpus/plist"));
    return corpus.entryList({ "f*", "t3f*" }, QDir::Files, QDir::Name);
}

QString corpusPath(const QString& name)
{
    return QFINDTESTDATA("../../fuzz/corpus/plist/" + name);
}

} // namespace

class HostilePlistsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_scheduler = std::make_unique<VirtualScheduler>();
    }

    void everyReaderSurvives_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("parses");
        const QStringList files = hostileFiles();
        QVERIFY(files.size() >= 28);
        for (const QString& name : files)
            QTest::newRow(qPrintable(name)) << corpusFileBytes(corpusPath(name)) << wellFormed.contains(name);
    }

    void everyReaderSurvives()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, parses);
        QVERIFY(!bytes.isEmpty());
        LogCapture log;
        const auto parsed = PropertyList::parse(bytes);
        QCOMPARE(parsed.has_value(), parses);

        // Settings.plist at start: the file's dictionary as it is, else the defaults.
        const QString path = m_dir->filePath("Settings.plist");
        writeBytes(path, bytes);
        const auto dictionary = parsed ? parsed->toDictionary() : std::nullopt;
        const PlistValue::Dictionary expected = dictionary.value_or(LantoSettings::defaults());
        LantoSettings settings(m_dir->path(), *m_scheduler);
        for (const QString& key : expected.keys())
            QVERIFY(settings.value(key) == expected.value(key));
        QVERIFY(ScreenModel::loadAll(settings).isEmpty());

        // On reload, over a store that holds something else.
        settings.set("marker", true);
        writeBytes(path, bytes);
        settings.reload();
        QCOMPARE(settings.value("marker").has_value(), !dictionary.has_value());

        // As the screen models' archive.
        settings.set(SettingsKey::screenModels, bytes);
        QVERIFY(ScreenModel::loadAll(settings).isEmpty());
    }

    // Whatever the store accepted, the next write puts back in a form it
    // accepts again, at a size in proportion to what it read.
    void acceptedSettingsAreWrittenBackReadable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const QString& name : hostileFiles()) {
            const QByteArray bytes = corpusFileBytes(corpusPath(name));
            const auto parsed = PropertyList::parse(bytes);
            if (parsed && parsed->isDictionary())
                QTest::newRow(qPrintable(name)) << bytes;
        }
    }

    void acceptedSettingsAreWrittenBackReadable()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir->filePath("Settings.plist");
        writeBytes(path, bytes);
        const QStringList keys = PropertyList::parse(bytes)->toDictionary()->keys();
        {
            LantoSettings settings(m_dir->path(), *m_scheduler);
            settings.set("marker", true);
            settings.flush();
        }
        QVERIFY(QFileInfo(path).size() <= PropertyList::xmlSizeFloor + PropertyList::xmlSizeFactor * bytes.size());
        const auto again = PropertyList::readFile(path);
        QVERIFY(again && again->isDictionary());
        QStringList expected = keys;
        expected.append("marker");
        expected.sort();
        QCOMPARE(again->toDictionary()->keys(), expected);
    }

    void datesAndTextRoundTripExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exactInXml");
        // A date XML's year field cannot hold, and a key XML cannot carry: written binary either way.
        QTest::newRow("date beyond 32 bits") << "f7_date_wraps.bin" << true;
        QTest::newRow("U+0000 in a key") << "f1_utf16_nul_key.bin" << true;
        // XML dates carry whole seconds by the format itself.
        QTest::newRow("fractional date") << "f7_date_ms_drift_binary.bin" << false;
    }

    void datesAndTextRoundTripExactly()
    {
        QFETCH(QString, name);
        QFETCH(bool, exactInXml);
        const auto value = PropertyList::parse(corpusFileBytes(QFINDTESTDATA("../../fuzz/corpus/plist/" + name)));
        QVERIFY(value);
        const QString path = m_dir->filePath("again.plist");
        QVERIFY(PropertyList::writeFile(path, *value, PropertyList::Format::Binary));
        QVERIFY(PropertyList::readFile(path) == value);
        QVERIFY(PropertyList::writeFile(path, *value, PropertyList::Format::Xml));
        QCOMPARE(PropertyList::readFile(path) == value, exactInXml);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<VirtualScheduler> m_scheduler;
};

QTEST_GUILESS_MAIN(HostilePlistsTest)
#include "tst_hostileplists.moc"
