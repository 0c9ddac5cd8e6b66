// Raw bytes as a request to the loopback range server, as its connection
// collects them: the header in pieces as reads would bring them, the request
// parsed from it, the file it names looked up in a home folder whose map
// "aerialAssetToHex" also holds hostile folder names, and the reply planned.
#include "AerialAssetFiles.h"
#include "AerialHTTPReply.h"
#include "FuzzSupport.h"
#include "PropertyList.h"
#include "RequestHeaderBuffer.h"
#include "SettingsKeys.h"

#include <QFileInfo>

namespace {

using FuzzSupport::check;

// A home with one mapped wallpaper, one aerial of the system's own, a manifest
// beside them and a file outside every served folder.
struct Home
{
    Home()
    {
        const QString base = FuzzSupport::scratchFolder().filePath(QStringLiteral("home"));
        files = std::make_unique<AerialAssetFiles>(base);
        PlistValue::Dictionary map;
        const char* hexes[][2] = { { "A1", "cafe01" }, { "A2", ".." }, { "A3", "../.." }, { "A4", "." },
            { "A5", "" }, { "A6", "cafe01/../.." }, { "A7", "missing" }, { "A8", "..." } };
        for (const auto& [asset, hex] : hexes)
            map.insert(QString::fromLatin1(asset), QString::fromLatin1(hex));
        FuzzSupport::writeFile(files->settingsPlistPath(),
            PropertyList::serialize(PlistValue::Dictionary { { SettingsKey::aerialAssetToHex, map } },
                PropertyList::Format::Xml));
        const QString legacy = files->legacyAerialBase();
        const QString served[][2] = {
            { files->lantoDownloads() + QStringLiteral("/cafe01/content.mov"), QStringLiteral("0123456789") },
            { files->lantoDownloads() + QStringLiteral("/cafe01/Poster.png"), QString() },
            { legacy + QStringLiteral("/videos/L1.mov"), QStringLiteral("legacy!") },
            { legacy + QStringLiteral("/thumbnails/L1.png"), QStringLiteral("png") },
        };
        for (const auto& [path, text] : served) {
            FuzzSupport::writeFile(path, text.toLatin1());
            servedFiles.append(QFileInfo(path).canonicalFilePath());
        }
        FuzzSupport::writeFile(legacy + QStringLiteral("/manifest/entries.json"), "{}");
        FuzzSupport::writeFile(base + QStringLiteral("/secret.mov"), "secret");
    }

    std::unique_ptr<AerialAssetFiles> files;
    QStringList servedFiles;
};

// Feeds the bytes as reads of the given size would bring them, as the connection does.
RequestHeaderBuffer::State collect(RequestHeaderBuffer& header, QByteArrayView bytes, qsizetype pieceSize)
{
    RequestHeaderBuffer::State state = RequestHeaderBuffer::State::incomplete;
    for (qsizetype at = 0; at < bytes.size() && state == RequestHeaderBuffer::State::incomplete; at += pieceSize) {
        const QByteArrayView piece = bytes.sliced(at, std::min(pieceSize, bytes.size() - at));
        std::copy(piece.begin(), piece.end(), header.reserve(piece.size()));
        state = header.received(piece.size());
    }
    return state;
}

bool sameRequest(const std::optional<HTTPRequest>& a, const std::optional<HTTPRequest>& b)
{
    return a.has_value() == b.has_value()
        && (!a || (a->method == b->method && a->path == b->path && a->range == b->range));
}

// A reply for a file of the size serves only bytes the file has, and says so.
void checkPlan(const std::optional<HTTPRequest::Range>& range, qint64 fileSize)
{
    const AerialHTTPReply::Plan plan = AerialHTTPReply::plan(range, fileSize);
    if (range) {
        check(plan.status != AerialHTTPReply::Status::ok, "a range gets 206 or 416");
        check(range->start >= 0 && (!range->end || *range->end >= 0), "a range has no negative position");
    }
    if (plan.hasBody()) {
        check(plan.first >= 0 && plan.length() >= 0 && plan.first + plan.length() <= fileSize, "within the file");
        check(plan.length() > 0 || (!range && fileSize == 0), "only an empty file gives an empty body");
    }
    const QByteArray header = AerialHTTPReply::fileHeader(plan, "video/quicktime");
    check(header.contains("\r\nContent-Length: " + QByteArray::number(plan.length()) + "\r\n"), "the length told");
}

// The request with a header line of nearly the whole limit after its first line.
QByteArray padded(QByteArrayView request)
{
    const qsizetype lineEnd = std::max<qsizetype>(request.indexOf('\n'), 0);
    return request.first(lineEnd).toByteArray() + "\r\nX-Pad: "
        + QByteArray(RequestHeaderBuffer::maximumSize - 100, 'a') + request.sliced(lineEnd).toByteArray();
}

} // namespace

// The first byte gives the size of the reads (its low six bits) and whether
// the header is padded up to its limit (bit 6); the rest is the request.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Home home;
    if (size == 0)
        return 0;
    const int pieceBits = data[0] & 63;
    const qsizetype pieceSize = pieceBits == 63 ? 16 * 1024 : 1 + pieceBits * 61;
    const QByteArrayView raw(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const QByteArray bytes = data[0] & 64 ? padded(raw) : raw.toByteArray();

    RequestHeaderBuffer inPieces;
    const RequestHeaderBuffer::State state = collect(inPieces, bytes, pieceSize);
    RequestHeaderBuffer whole;
    collect(whole, bytes, bytes.size() + 1);
    // Reads stop at the first that brings the buffer over the limit.
    const qsizetype readUpTo = (RequestHeaderBuffer::maximumSize / pieceSize + 1) * pieceSize;
    const qsizetype blankLine = bytes.indexOf("\r\n\r\n");
    const bool completes = blankLine >= 0 && blankLine + 4 <= readUpTo;
    check((state == RequestHeaderBuffer::State::complete) == completes, "complete once the blank line has come");
    check((state == RequestHeaderBuffer::State::tooLarge) == (!completes && bytes.size() > RequestHeaderBuffer::maximumSize),
        "too large past the limit without the blank line");
    if (state != RequestHeaderBuffer::State::complete)
        return 0;
    const std::optional<HTTPRequest> request = inPieces.takeRequest();
    check(sameRequest(request, whole.takeRequest()), "the same request however the bytes came");
    if (!request)
        return 0;
    check(!request->path.contains(QLatin1String("..")), "no path with ..");
    check(request->method == request->method.toUpper(), "the method in upper case");

    if (const std::optional<AerialAssetFiles::OpenFile> found = home.files->openFile(request->path)) {
        check(home.servedFiles.contains(QFileInfo(found->path).canonicalFilePath()), "only the served files are found");
        checkPlan(request->range, found->file.size());
    }
    for (const qint64 fileSize : { qint64(0), qint64(1), qint64(10), std::numeric_limits<qint64>::max() })
        checkPlan(request->range, fileSize);
    return 0;
}
