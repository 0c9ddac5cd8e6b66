#include "CurlTransfer.h"

#include <QHostAddress>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Reads from the body of 128 KiB: large enough that a fast link is not held up
// by many small ones, small enough that the copy into curl's buffer stays in
// the processor's cache (2 MiB made loopback uploads a fifth to a third slower).
constexpr long uploadBufferSize = 128 << 10;

NetworkError transferError(CURLcode code)
{
    const QString text = QString::fromUtf8(curl_easy_strerror(code));
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return NetworkError::timedOut();
    case CURLE_COULDNT_CONNECT:
        return { NetworkError::Code::cannotConnectToHost, text };
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return { NetworkError::Code::cannotFindHost, text };
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return { NetworkError::Code::networkConnectionLost, text };
    case CURLE_SSL_CONNECT_ERROR:
        return { NetworkError::Code::secureConnectionFailed, text };
    default:
        return { NetworkError::Code::other, text };
    }
}

// The hosts reached without the environment's proxy: this machine's, then
// the ones the environment names, as curl reads no_proxy only when this is unset.
QByteArray hostsWithoutProxy()
{
    QByteArray hosts = "localhost,127.0.0.0/8,::1";
    for (const char* variable : {"no_proxy", "NO_PROXY"}) {
        if (const QByteArray named = qgetenv(variable); !named.isEmpty())
            return hosts + ',' + named;
    }
    return hosts;
}

} // namespace

bool CurlTransfer::isLoopback(const QUrl& url)
{
    const QString host = url.host();
    if (host.compare("localhost"_L1, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

CurlTransfer::CurlTransfer(UploadRequest request, Clock::time_point deadline, Completion completion)
    : m_request(std::move(request)), m_deadline(deadline), m_completion(std::move(completion))
{
}

CurlTransfer::~CurlTransfer()
{
    // Normally released by complete(), on the worker's thread.
    if (m_handle)
        curl_easy_cleanup(m_handle);
    curl_slist_free_all(m_headers);
}

std::optional<ServiceError> CurlTransfer::prepare()
{
    m_reader.reset();
    if (std::optional<UploadBodyReader> reader = m_request.body.open())
        m_reader.emplace(std::move(*reader));
    if (!m_reader)
        return FileError { u"The file could not be read."_s };
    m_handle = curl_easy_init();
    if (!m_handle)
        return NetworkError { NetworkError::Code::other, u"The transfer could not be set up."_s };

    for (const auto& [name, value] : m_request.headers)
        m_headers = curl_slist_append(m_headers, (name + ": " + value).constData());
    // No "Expect: 100-continue": the body follows the header at once.
    m_headers = curl_slist_append(m_headers, "Expect:");

    CURL* h = m_handle;
    curl_easy_setopt(h, CURLOPT_URL, m_request.url.toEncoded().constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    // A token and files meant for this machine's own service never pass through a proxy.
    curl_easy_setopt(h, CURLOPT_NOPROXY, hostsWithoutProxy().constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    if (m_request.method != "PUT")
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, m_request.method.constData());
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(m_request.body.size()));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &CurlTransfer::readBody);
    curl_easy_setopt(h, CURLOPT_READDATA, this);
    curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, uploadBufferSize);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlTransfer::keepAnswer);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlTransfer::countHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, m_headers);
    // Bytes leaving the socket count as activity even while curl reads nothing new.
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::noteProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_DEFAULT) | long(CURL_SSLVERSION_MAX_TLSv1_2));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_request.limits.idleTimeout.count()));
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(std::max<qint64>(left.count(), 1)));
    stamp();
    return std::nullopt;
}

size_t CurlTransfer::readBody(char* into, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<CurlTransfer*>(self);
    const qint64 got = transfer->m_reader->read(into, qint64(size * count));
    if (got < 0) {
        transfer->m_abortReason = FileError { u"The file could not be read."_s };
        return CURL_READFUNC_ABORT;
    }
    transfer->stamp();
    return size_t(got);
}

size_t CurlTransfer::keepAnswer(char* data, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<CurlTransfer*>(self);
    const size_t bytes = size * count;
    transfer->stamp();
    long status = 0;
    curl_easy_getinfo(transfer->m_handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        return bytes; // callers never read the body of a failure
    if (transfer->m_answer.size() + qsizetype(bytes) > std::min<qint64>(maximumAnswer, transfer->m_request.limits.maximumBodySize)) {
        transfer->m_abortReason = APIError::invalidResponse();
        return CURL_WRITEFUNC_ERROR;
    }
    transfer->m_answer.append(data, qsizetype(bytes));
    return bytes;
}

size_t CurlTransfer::countHeader(char*, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<CurlTransfer*>(self);
    transfer->stamp();
    transfer->m_headerBytes += qsizetype(size * count);
    if (transfer->m_headerBytes > maximumHeaderBytes) {
        // An endless header, or endless interim answers: no service sends these.
        transfer->m_abortReason = APIError::invalidResponse();
        return 0;
    }
    return size * count;
}

int CurlTransfer::noteProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (received + sent != transfer->m_moved) {
        transfer->m_moved = received + sent;
        transfer->stamp();
    }
    return transfer->m_cancelled.load() ? 1 : 0; // a cancel stops the transfer within its current step
}

std::optional<ServiceError> CurlTransfer::mustEnd(Clock::time_point now) const
{
    if (m_cancelled.load())
        return NetworkError::cancelled();
    if (now - m_lastActivity >= m_request.limits.idleTimeout || now >= m_deadline)
        return NetworkError::timedOut();
    return std::nullopt;
}

CurlTransfer::Clock::time_point CurlTransfer::nextCheck() const
{
    return std::min(m_lastActivity + m_request.limits.idleTimeout, m_deadline);
}

void CurlTransfer::finish(CURLcode code)
{
    if (m_cancelled.load())
        return fail(NetworkError::cancelled());
    if (m_abortReason)
        return fail(*m_abortReason);
    if (code == CURLE_WEIRD_SERVER_REPLY || code == CURLE_UNSUPPORTED_PROTOCOL)
        return fail(APIError::invalidResponse());
    if (code != CURLE_OK)
        return fail(transferError(code));
    long status = 0;
    curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &status);
    complete(HTTPReply { int(status), std::exchange(m_answer, {}) });
}

void CurlTransfer::fail(ServiceError error) { complete(std::move(error)); }

void CurlTransfer::complete(Result<HTTPReply> result)
{
    // The handle goes on the thread of the multi handle it belonged to.
    if (m_handle)
        curl_easy_cleanup(std::exchange(m_handle, nullptr));
    curl_slist_free_all(std::exchange(m_headers, nullptr));
    m_reader.reset();
    if (m_completion)
        std::exchange(m_completion, {})(std::move(result));
}
