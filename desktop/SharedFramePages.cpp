#include "SharedFramePages.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>

namespace {

std::shared_ptr<SharedFramePages> mapMemoryFile(std::size_t bytes)
{
    const int descriptor = memfd_create("lanto-frame", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (descriptor == -1)
        return nullptr;
    void* memory = MAP_FAILED;
    // The size is sealed: the server maps it too, and a file that shrank under it would fault there.
    if (ftruncate(descriptor, off_t(bytes)) == 0 && fcntl(descriptor, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW) == 0)
        memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (memory == MAP_FAILED) {
        close(descriptor);
        return nullptr;
    }
    return std::make_shared<SharedFramePages>(memory, bytes, SharedFramePages::Kind::descriptor, descriptor, -1);
}

std::shared_ptr<SharedFramePages> mapSegment(std::size_t bytes)
{
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id == -1)
        return nullptr;
    void* memory = shmat(id, nullptr, 0);
    // Marked for removal at once: the segment goes with its last mapping,
    // here or in the X server, even if this process ends abruptly.
    shmctl(id, IPC_RMID, nullptr);
    if (memory == reinterpret_cast<void*>(-1))
        return nullptr;
    return std::make_shared<SharedFramePages>(memory, bytes, SharedFramePages::Kind::systemV, -1, id);
}

std::shared_ptr<SharedFramePages> mapPlain(std::size_t bytes)
{
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    return std::make_shared<SharedFramePages>(memory, bytes, SharedFramePages::Kind::plain, -1, -1);
}

} // namespace

std::shared_ptr<SharedFramePages> SharedFramePages::map(std::size_t bytes, Kind kind)
{
    switch (kind) {
    case Kind::descriptor:
        return mapMemoryFile(bytes);
    case Kind::systemV:
        return mapSegment(bytes);
    case Kind::plain:
        break;
    }
    return mapPlain(bytes);
}

SharedFramePages::SharedFramePages(void* address, std::size_t bytes, Kind kind, int descriptor, int systemVId)
    : m_address(address), m_bytes(bytes), m_kind(kind), m_descriptor(descriptor), m_systemVId(systemVId)
{
}

SharedFramePages::~SharedFramePages()
{
    if (m_kind == Kind::systemV)
        shmdt(m_address);
    else
        munmap(m_address, m_bytes);
    if (m_descriptor != -1)
        close(m_descriptor);
}
