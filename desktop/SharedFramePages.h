#pragma once

#include <cstddef>
#include <memory>

// Pages that hold one frame, which the X server may be given to read in place:
// a memory file, handed to it by descriptor, where the server takes
// descriptors; a System V segment, named by its id, where it takes only those;
// plain pages otherwise. Given back to the system when the last owner lets go
// (the allocator would keep them). Any thread.
class SharedFramePages
{
public:
    enum class Kind { descriptor, systemV, plain };

    // Null when the system gives no pages of that kind.
    static std::shared_ptr<SharedFramePages> map(std::size_t bytes, Kind kind);
    ~SharedFramePages();

    SharedFramePages(const SharedFramePages&) = delete;
    SharedFramePages& operator=(const SharedFramePages&) = delete;

    void* address() const { return m_address; }
    std::size_t bytes() const { return m_bytes; }
    Kind kind() const { return m_kind; }
    // The memory file of Kind::descriptor; -1 otherwise. Owned by the pages.
    int descriptor() const { return m_descriptor; }
    // The segment of Kind::systemV, already marked for removal; -1 otherwise.
    int systemVId() const { return m_systemVId; }

    SharedFramePages(void* address, std::size_t bytes, Kind kind, int descriptor, int systemVId);

private:
    void* const m_address;
    const std::size_t m_bytes;
    const Kind m_kind;
    const int m_descriptor;
    const int m_systemVId;
};
