// Every field of every wire record, filled by walking the record's table,
// must cross each road a record takes: the local service's encoder to the
// client's decoder, the catalogue cache file, and the metadata file. And each
// table must name every member, so that no road can quietly miss one.

#include "APIModels.h"
#include "CatalogueArray.h"
#include "CatalogueWriter.h"
#include "LocalWallpaperMeta.h"

#include <QBuffer>
#include <QTest>

#include <algorithm>
#include <typeinfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Whether the table's members lie end to end, each at the next place its
// alignment allows, and fill the record: a member missing from the table
// leaves a gap (unless it is small enough to hide in padding).
template <typename T> bool tableFillsRecord()
{
    struct Span { qsizetype offset, size, alignment; };
    const T record {};
    QList<Span> spans;
    Wire::visit<T>([&](const auto& field) {
        if constexpr (!Wire::isRetired<std::decay_t<decltype(field)>>) {
            const auto& member = record.*field.member;
            const qsizetype offset = reinterpret_cast<const char*>(&member) - reinterpret_cast<const char*>(&record);
            spans.append({ offset, qsizetype(sizeof member), qsizetype(alignof(decltype(member))) });
        }
    });
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.offset < b.offset; });
    const auto aligned = [](qsizetype at, qsizetype alignment) { return (at + alignment - 1) / alignment * alignment; };
    qsizetype end = 0;
    for (const Span& span : spans) {
        if (span.offset != aligned(end, span.alignment))
            return false;
        end = span.offset + span.size;
    }
    return aligned(end, alignof(T)) == qsizetype(sizeof(T));
}

// Gives each value of a record something other than its default, distinct across fields.
class Filler
{
public:
    explicit Filler(bool withOptionals) : m_withOptionals(withOptionals) {}

    template <typename T> void fill(T& value, std::string_view name)
    {
        const QString text = QString::fromLatin1(name.data(), qsizetype(name.size())) + u'-'
            + QString::number(++m_counter) + u"-é\"\n"_s;
        if constexpr (Wire::Record<T>) {
            Wire::visit<T>([&](const auto& field) {
                if constexpr (!Wire::isRetired<std::decay_t<decltype(field)>>)
                    fill(value.*field.member, field.name);
            });
        } else if constexpr (Wire::isOptional<T>) {
            if (m_withOptionals)
                fill(value.emplace(), name);
        } else if constexpr (std::is_same_v<T, QString>) {
            value = text;
        } else if constexpr (std::is_same_v<T, bool>) {
            value = true;
        } else if constexpr (std::is_same_v<T, qint64>) {
            value = Q_INT64_C(5000000000) + m_counter++;
        } else if constexpr (std::is_same_v<T, QMap<QString, QString>>) {
            value = { { u"de"_s, text }, { u"pt-BR"_s, text + u'!' } };
        } else {
            fill(value.emplaceBack(), name);
            fill(value.emplaceBack(), name);
        }
    }

private:
    bool m_withOptionals;
    int m_counter = 0;
};

template <typename T> T filled(bool withOptionals)
{
    T record {};
    Filler(withOptionals).fill(record, "");
    return record;
}

// Field by field, by the table; a list of catalogue items by their own equality.
template <typename T> bool same(const T& a, const T& b)
{
    if constexpr (Wire::Record<T>) {
        bool all = true;
        Wire::visit<T>([&](const auto& field) {
            if constexpr (!Wire::isRetired<std::decay_t<decltype(field)>>)
                all = all && same(a.*field.member, b.*field.member);
        });
        return all;
    } else if constexpr (Wire::isOptional<T>) {
        return a.has_value() == b.has_value() && (!a || same(*a, *b));
    } else {
        return a == b;
    }
}

// What the local service answers, as the client decodes it.
template <typename T> std::optional<T> servedAndDecoded(const T& record)
{
    const QJsonObject envelope { { u"ok"_s, true }, { u"data"_s, record.toJson() } };
    Result<APIResponse<T>> decoded = APIResponse<T>::decode(QJsonDocument(envelope).toJson(QJsonDocument::Compact));
    if (!decoded || !decoded.value().data)
        return std::nullopt;
    return *decoded.value().data;
}

template <typename... T> struct Records
{
    template <typename Each> static void forEach(Each each) { (each(T {}), ...); }
};

using ServiceRecords = Records<APIProfile, APICategory, APIWallpaper, APITag, DiscoverResponse, WallpapersResponse,
                               MyWallpapersResponse, SubmissionCreate, SubmissionCreateResponse,
                               SubmissionUploadResponse, SubmissionSubmitResponse, SubmissionDeleteResponse,
                               AuthCodeExchangeProfile, AuthCodeExchangeResponse, UserProfile, ProfileChanges,
                               HandleAvailability, AvatarResponse, MultipartInitResponse, PartResponse,
                               UploadedPart, CompleteBody, CompleteResponse>;

} // namespace

class TestWireRecords : public QObject
{
    Q_OBJECT

private slots:
    void everyTableNamesEveryMember();
    void everyFieldCrossesEachRoad_data();
    void everyFieldCrossesEachRoad();
    void aSurrogateWithoutItsPairStaysReadable();
};

void TestWireRecords::everyTableNamesEveryMember()
{
    QVERIFY(tableFillsRecord<LocalWallpaperMeta>());
    ServiceRecords::forEach([](auto record) { QVERIFY2(tableFillsRecord<decltype(record)>(), typeid(record).name()); });
}

void TestWireRecords::everyFieldCrossesEachRoad_data()
{
    QTest::addColumn<bool>("withOptionals");
    QTest::newRow("every optional field set") << true;
    QTest::newRow("every optional field absent") << false;
}

void TestWireRecords::everyFieldCrossesEachRoad()
{
    QFETCH(bool, withOptionals);

    ServiceRecords::forEach([&](auto record) {
        using T = decltype(record);
        const T sent = filled<T>(withOptionals);
        const std::optional<T> received = servedAndDecoded(sent);
        QVERIFY2(received && same(*received, sent), typeid(T).name());
    });

    const QList<APIWallpaper> catalogue { filled<APIWallpaper>(withOptionals), filled<APIWallpaper>(false) };
    QBuffer cache;
    cache.open(QIODevice::WriteOnly);
    CatalogueWriter::ArrayStream stream(cache);
    for (const APIWallpaper& item : catalogue)
        QVERIFY(stream.add(item));
    QVERIFY(stream.finish());
    QCOMPARE(CatalogueArray::decode(cache.data()), std::optional(catalogue));

    const LocalWallpaperMeta meta = filled<LocalWallpaperMeta>(withOptionals);
    QCOMPARE(LocalWallpaperMeta::fromJson(meta.toJson()), std::optional(meta));
}

// Both readers refuse its escape, so both files keep a question mark in its place.
void TestWireRecords::aSurrogateWithoutItsPairStaysReadable()
{
    const QString title = u"Aurora "_s + QChar(0xD83C) + u" \u00e9"_s;
    QString cachedTitle = title;
    cachedTitle[7] = u'?';

    APIWallpaper item = filled<APIWallpaper>(false);
    item.title = title;
    QByteArray cache = "[";
    CatalogueWriter::append(cache, item);
    cache += ']';
    const std::optional<QList<APIWallpaper>> cached = CatalogueArray::decode(cache);
    QVERIFY(cached);
    QCOMPARE(cached->first().title, cachedTitle);

    LocalWallpaperMeta meta = filled<LocalWallpaperMeta>(false);
    meta.title = title;
    const std::optional<LocalWallpaperMeta> read = LocalWallpaperMeta::fromJson(meta.toJson());
    QVERIFY(read);
    QCOMPARE(read->title, cachedTitle);
}

QTEST_GUILESS_MAIN(TestWireRecords)
#include "tst_wirerecords.moc"
