#pragma once

#include "Result.h"
#include "ServiceTransfer.h"
#include "UploadBody.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>

#include <curl/curl.h>

// One request of the upload session, as the caller describes it.
struct UploadRequest
{
    QUrl url;
    QByteArray method = "PUT";
    QList<std::pair<QByteArray, QByteArray>> headers; // sent in this order
    UploadBody body = UploadBody::bytes({});
    TransferLimits limits;
};

// One request on libcurl: its easy handle, the body it reads, the answer it
// keeps. Made on any thread, then driven only by the upload worker's thread,
// which calls back once with the result. Follows no redirect (a 3xx is the
// answer), speaks TLS 1.2 at most, uses the proxy the environment names
// except for loopback addresses (which every other request of Lanto reaches
// directly), and keeps the body of a 2xx answer only, up to a small bound.
class CurlTransfer
{
public:
    using Clock = std::chrono::steady_clock;
    using Completion = std::function<void(Result<HTTPReply>)>;

    static constexpr qsizetype maximumAnswer = 1 << 20;
    // Header bytes of all answers, interim ones included, before the answer is refused.
    static constexpr qsizetype maximumHeaderBytes = 64 << 10;

    // Whether the address names this machine: "localhost", 127.0.0.0/8 or ::1.
    static bool isLoopback(const QUrl& url);

    CurlTransfer(UploadRequest request, Clock::time_point deadline, Completion completion);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Opens the body and makes the handle; the error when the body cannot be read.
    std::optional<ServiceError> prepare();
    CURL* handle() const { return m_handle; }

    // From any thread: the worker ends the transfer at its next turn.
    void cancel() { m_cancelled.store(true); }

    // Why the transfer must end now, if it must: cancelled, idle or out of time.
    std::optional<ServiceError> mustEnd(Clock::time_point now) const;
    // When mustEnd may next say so, unless bytes move meanwhile.
    Clock::time_point nextCheck() const;

    // Call back with the outcome (curl's code, or an error of our own) and let
    // go of the handle and the body; the worker calls one of them once, after
    // taking the handle out of its multi handle.
    void finish(CURLcode code);
    void fail(ServiceError error);

private:
    static size_t readBody(char* into, size_t size, size_t count, void* self);
    static size_t keepAnswer(char* data, size_t size, size_t count, void* self);
    static size_t countHeader(char* data, size_t size, size_t count, void* self);
    static int noteProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent);
    void stamp() { m_lastActivity = Clock::now(); }
    void complete(Result<HTTPReply> result);

    UploadRequest m_request;
    const Clock::time_point m_deadline;
    Completion m_completion;
    std::optional<UploadBodyReader> m_reader;
    CURL* m_handle = nullptr;
    curl_slist* m_headers = nullptr;
    QByteArray m_answer;
    qsizetype m_headerBytes = 0;
    std::optional<ServiceError> m_abortReason; // set by a callback that stopped the transfer
    Clock::time_point m_lastActivity = Clock::now();
    curl_off_t m_moved = 0; // bytes sent and received, as progress last reported them
    std::atomic<bool> m_cancelled { false };
};
