// The service's replies that carry catalogue records, read with simdjson.

#include "APIModels.h"
#include "CatalogueReader.h"

namespace {

using Value = CatalogueReader::Value;

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
    const bool read = reader.readFields(root, response, 1);
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
