#include "APIModels.h"
#include "CatalogueChecks.h"

#include <QJsonObject>

#include <array>

namespace {

using namespace Qt::Literals::StringLiterals;

using Flags = QMap<QString, bool>;
using TagCatalogue = QMap<QString, QList<APITag>>;

// The envelope as the service writes it around what was decoded.
template <typename T> QByteArray written(const APIResponse<T>& response)
{
    QJsonObject envelope { { "ok"_L1, response.ok } };
    if (response.data)
        envelope.insert("data"_L1, JsonFields::write(*response.data));
    if (response.error)
        envelope.insert("error"_L1, *response.error);
    return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
}

// A reply decoded and written back as the service writes it decodes to the same reply.
template <typename T> void checkRoundTrip(const QByteArray& body)
{
    const Result<APIResponse<T>> decoded = APIResponse<T>::decode(body);
    if (!decoded)
        return;
    const APIResponse<T>& first = decoded.value();
    const QByteArray again = written(first);
    const Result<APIResponse<T>> second = APIResponse<T>::decode(again);
    FuzzSupport::check(bool(second), "a reply written back decodes");
    FuzzSupport::check(second.value().ok == first.ok && second.value().error == first.error
            && second.value().data.has_value() == first.data.has_value(),
        "a reply written back keeps its envelope");
    if (first.data)
        FuzzSupport::check(written(second.value()) == again, "a reply written back keeps its payload");
}

void checkMine(const QByteArray& body)
{
    checkRoundTrip<MyWallpapersResponse>(body);
    CatalogueChecks::checkAgainstQt<MyWallpapersResponse>(
        body, [](const MyWallpapersResponse& mine) { return QList<QList<APIWallpaper>> { mine.wallpapers }; });
}

// One checker per kind of reply, picked by the input's first byte.
constexpr std::array checks {
    &checkRoundTrip<MultipartInitResponse>,
    &checkRoundTrip<PartResponse>,
    &checkRoundTrip<CompleteResponse>,
    &checkRoundTrip<SubmissionUploadResponse>,
    &checkRoundTrip<SubmissionCreateResponse>,
    &checkRoundTrip<SubmissionSubmitResponse>,
    &checkRoundTrip<SubmissionDeleteResponse>,
    &checkRoundTrip<AuthCodeExchangeResponse>,
    &checkRoundTrip<UserProfile>,
    &checkRoundTrip<HandleAvailability>,
    &checkRoundTrip<AvatarResponse>,
    &checkRoundTrip<Flags>,
    &checkRoundTrip<TagCatalogue>,
    &checkMine,
};

} // namespace

// The first byte picks the kind of reply, "a" the first of the list above (upload
// answers, submissions, the sign-in exchange, the profile, the handle check,
// the favourite flags, the tags and the user's own wallpapers); the rest is its body.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    checks[uint8_t(data[0] - 'a') % checks.size()](FuzzSupport::bytes(data + 1, size - 1));
    return 0;
}
