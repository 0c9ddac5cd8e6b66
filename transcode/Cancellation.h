#pragma once

#include <functional>

// Asked between steps of a long media job; true once the job should stop.
using CancelCheck = std::function<bool()>;

// Thrown out of a media job that saw its cancel check turn true. Whatever the job
// had written is discarded on the way out.
struct TranscodeCancelled
{
};

inline void throwIfCancelled(const CancelCheck& isCancelled)
{
    if (isCancelled && isCancelled())
        throw TranscodeCancelled();
}
