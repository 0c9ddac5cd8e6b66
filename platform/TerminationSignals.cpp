#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalSockets[2] = { -1, -1 };
constexpr int handledSignals[] = { SIGTERM, SIGINT, SIGHUP };

void onSignal(int)
{
    // Only async-signal-safe work here: the event loop does the rest.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [] {
        char byte;
        while (::read(signalSockets[1], &byte, 1) > 0) { }
        QCoreApplication::quit();
    });
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    for (const int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
    if (signalSockets[0] >= 0) {
        ::close(signalSockets[0]);
        ::close(signalSockets[1]);
        signalSockets[0] = signalSockets[1] = -1;
    }
}
