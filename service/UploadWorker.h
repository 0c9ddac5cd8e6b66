#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class CurlTransfer;

// The upload session's own thread: one curl multi handle that drives every
// transfer handed to it, and reuses their connections. Transfers call back
// on this thread. Stopping (destruction) fails what still runs as cancelled.
class UploadWorker
{
public:
    UploadWorker();
    ~UploadWorker();
    UploadWorker(const UploadWorker&) = delete;
    UploadWorker& operator=(const UploadWorker&) = delete;

    // From any thread.
    void add(std::shared_ptr<CurlTransfer> transfer);
    // Wakes the thread so that it looks at its transfers now: after a cancel.
    void wake();

private:
    void run();
    bool takeIncoming();
    std::chrono::milliseconds untilNextCheck() const;
    void collectFinished();
    void endOverdue();
    void end(CURL* handle, CURLcode code);

    CURLM* m_multi;
    std::mutex m_mutex;
    std::vector<std::shared_ptr<CurlTransfer>> m_incoming; // guarded by m_mutex
    bool m_stopping = false; // guarded by m_mutex
    std::unordered_map<CURL*, std::shared_ptr<CurlTransfer>> m_running; // the thread's own
    std::thread m_thread;
};
