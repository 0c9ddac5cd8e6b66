#pragma once

#include "Log.h"
#include "Scheduler.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Helpers shared by the fuzz targets.
namespace FuzzSupport {

// Delayed work is never run: each input is judged by what it does at once.
class DroppingScheduler final : public Scheduler
{
public:
    Clock::time_point now() const override { return Clock::now(); }
    void schedule(WorkItemPtr, Duration) override { }
};

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A broken promise of the code under test: abort, so libFuzzer keeps the input.
inline void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace FuzzSupport
