// The service's replies that carry catalogue records, read with simdjson.

#include "APIModels.h"
#include "CatalogueReader.h"

namespace {

using Value = CatalogueReader::Value;
using Field = CatalogueReader::Field;

constexpr std::array<std::string_view, 3> envelopeKeys{"ok", "data", "error"};
constexpr std::array<std::string_view, 5> discoverKeys{"featured", "todaysPicks", "trending", "newThisWeek", "free"};
constexpr std::array<std::string_view, 2> pageKeys{"wallpapers", "page"};
constexpr std::array<std::string_view, 1> mineKeys{"wallpapers"};

Field outcome(bool read) { return read ? Field::read : Field::failed; }

bool readPayload(CatalogueReader& reader, Value value, DiscoverResponse& rows, int depth)
{
    return reader.readObject(value, discoverKeys, 0b01111, depth, [&](size_t index, Value field) {
        const auto list = [&](Value v, QList<APIWallpaper>& out) { return reader.readWallpapers(v, out, depth + 1); };
        switch (index) {
        case 0: return outcome(list(field, rows.featured));
        case 1: return outcome(list(field, rows.todaysPicks));
        case 2: return outcome(list(field, rows.trending));
        case 3: return outcome(list(field, rows.newThisWeek));
        default: return reader.optional(field, rows.free, list);
        }
    });
}

bool readPayload(CatalogueReader& reader, Value value, WallpapersResponse& page, int depth)
{
    return reader.readObject(value, pageKeys, 0b11, depth, [&](size_t index, Value field) {
        if (index == 0)
            return outcome(reader.readWallpapers(field, page.wallpapers, depth + 1));
        return outcome(reader.readInteger(field, page.page));
    });
}

bool readPayload(CatalogueReader& reader, Value value, MyWallpapersResponse& mine, int depth)
{
    return reader.readObject(value, mineKeys, 0b1, depth, [&](size_t, Value field) {
        return outcome(reader.readWallpapers(field, mine.wallpapers, depth + 1));
    });
}

template <typename T> Result<APIResponse<T>> decodeEnvelope(const QByteArray& body)
{
    const CatalogueReader::Padded padded(body);
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document document;
    simdjson::ondemand::json_type type;
    Value root;
    if (parser.iterate(padded.view()).get(document) || document.type().get(type)
        || type != simdjson::ondemand::json_type::object || document.get_value().get(root))
        return malformedReply();
    CatalogueReader reader;
    APIResponse<T> response;
    const bool read = reader.readObject(root, envelopeKeys, 0b001, 1, [&](size_t index, Value field) {
        switch (index) {
        case 0: return outcome(reader.readBool(field, response.ok));
        case 1:
            return reader.optional(field, response.data, [&](Value v, T& out) { return readPayload(reader, v, out, 2); });
        default:
            return reader.optional(field, response.error, [&](Value v, QString& out) { return reader.readText(v, out); });
        }
    });
    if (read) {
        const bool sound = CatalogueReader::atEnd(document)
            && (!reader.passedOverFailedField() || CatalogueReader::isStrictJson(padded.view()));
        return sound ? Result<APIResponse<T>>(std::move(response)) : malformedReply();
    }
    if (reader.failure() == CatalogueReader::Failure::malformed)
        return malformedReply();
    // Sound JSON of another shape, unless the part not read yet is not JSON at all.
    document.rewind();
    CatalogueReader checker;
    return document.get_value().get(root) == simdjson::SUCCESS && checker.skip(root, 1)
            && CatalogueReader::atEnd(document)
        ? wrongShapeReply()
        : malformedReply();
}

} // namespace

template <> Result<APIResponse<DiscoverResponse>> APIResponse<DiscoverResponse>::decode(const QByteArray& body)
{
    return decodeEnvelope<DiscoverResponse>(body);
}

template <> Result<APIResponse<WallpapersResponse>> APIResponse<WallpapersResponse>::decode(const QByteArray& body)
{
    return decodeEnvelope<WallpapersResponse>(body);
}

template <>
Result<APIResponse<MyWallpapersResponse>> APIResponse<MyWallpapersResponse>::decode(const QByteArray& body)
{
    return decodeEnvelope<MyWallpapersResponse>(body);
}
