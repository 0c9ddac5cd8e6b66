// Preloaded into the programs that the hand-over test starts. The programs
// take their home from the user database and the aerial server listens on a
// fixed port; here the home is the test's temporary one ($LANTO_TEST_HOME) and
// that port becomes a free one, so that a test run touches neither the real
// home nor a port that another run, or the user's own agent, holds.
#include <dlfcn.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr in_port_t fixedServerPort = 24681;

template <typename Function> Function real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" passwd* getpwuid(uid_t uid)
{
    static const auto next = real<passwd* (*)(uid_t)>("getpwuid");
    passwd* entry = next(uid);
    if (const char* home = std::getenv("LANTO_TEST_HOME"); entry != nullptr && home != nullptr)
        entry->pw_dir = const_cast<char*>(home);
    return entry;
}

extern "C" int bind(int socket, const sockaddr* address, socklen_t length)
{
    static const auto next = real<int (*)(int, const sockaddr*, socklen_t)>("bind");
    if (address != nullptr && address->sa_family == AF_INET && length >= socklen_t(sizeof(sockaddr_in))) {
        sockaddr_in free;
        std::memcpy(&free, address, sizeof free);
        if (ntohs(free.sin_port) == fixedServerPort) {
            free.sin_port = 0;
            return next(socket, reinterpret_cast<const sockaddr*>(&free), sizeof free);
        }
    }
    return next(socket, address, length);
}
