#include "UploadWorker.h"

#include "CurlTransfer.h"
#include "ThreadName.h"

#include <algorithm>
#include <chrono>
#include <limits>

using namespace std::chrono_literals;

namespace {

void initialiseCurl()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
}

} // namespace

UploadWorker::UploadWorker()
{
    initialiseCurl();
    m_multi = curl_multi_init();
    m_thread = std::thread([this] { run(); });
}

UploadWorker::~UploadWorker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    wake();
    m_thread.join();
    curl_multi_cleanup(m_multi);
}

void UploadWorker::add(std::shared_ptr<CurlTransfer> transfer)
{
    {
        const std::lock_guard lock(m_mutex);
        m_incoming.push_back(std::move(transfer));
    }
    wake();
}

void UploadWorker::wake() { curl_multi_wakeup(m_multi); }

void UploadWorker::run()
{
    nameCurrentThread(u"com.lanto.upload");
    while (takeIncoming()) {
        int running = 0;
        curl_multi_perform(m_multi, &running);
        collectFinished();
        endOverdue();
        curl_multi_poll(m_multi, nullptr, 0, int(untilNextCheck().count()), nullptr);
    }
    for (const auto& [handle, transfer] : m_running) {
        curl_multi_remove_handle(m_multi, handle);
        transfer->fail(NetworkError::cancelled());
    }
    m_running.clear();
}

// How long to sleep at most: until the next time-out check of a transfer, and
// without end while there is none (a socket, curl's own timer or a wake ends it).
std::chrono::milliseconds UploadWorker::untilNextCheck() const
{
    if (m_running.empty())
        return std::chrono::milliseconds(std::numeric_limits<int>::max());
    auto wait = std::chrono::milliseconds(1000);
    const auto now = CurlTransfer::Clock::now();
    for (const auto& [handle, transfer] : m_running)
        wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(transfer->nextCheck() - now));
    return std::max(wait, 0ms);
}

// Starts what was handed over; false once the worker stops.
bool UploadWorker::takeIncoming()
{
    std::vector<std::shared_ptr<CurlTransfer>> incoming;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            for (const auto& transfer : m_incoming)
                transfer->fail(NetworkError::cancelled());
            m_incoming.clear();
            return false;
        }
        incoming.swap(m_incoming);
    }
    for (auto& transfer : incoming) {
        if (const std::optional<ServiceError> error = transfer->prepare()) {
            transfer->fail(*error);
            continue;
        }
        CURL* handle = transfer->handle();
        curl_multi_add_handle(m_multi, handle);
        m_running.emplace(handle, std::move(transfer));
    }
    return true;
}

void UploadWorker::collectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE)
            end(message->easy_handle, message->data.result);
    }
}

void UploadWorker::endOverdue()
{
    const auto now = CurlTransfer::Clock::now();
    std::vector<std::pair<CURL*, ServiceError>> overdue;
    for (const auto& [handle, transfer] : m_running) {
        if (std::optional<ServiceError> reason = transfer->mustEnd(now))
            overdue.emplace_back(handle, std::move(*reason));
    }
    for (auto& [handle, reason] : overdue) {
        const std::shared_ptr<CurlTransfer> transfer = m_running.at(handle);
        curl_multi_remove_handle(m_multi, handle);
        m_running.erase(handle);
        transfer->fail(std::move(reason));
    }
}

void UploadWorker::end(CURL* handle, CURLcode code)
{
    const auto found = m_running.find(handle);
    if (found == m_running.end())
        return;
    const std::shared_ptr<CurlTransfer> transfer = found->second;
    curl_multi_remove_handle(m_multi, handle);
    m_running.erase(found);
    transfer->finish(code);
}
