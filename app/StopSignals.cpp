#include "app/StopSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> StopSignalNumbers = {SIGINT, SIGTERM, SIGHUP};

TStopSignals* instance = nullptr;
int pipeFds[2] = {-1, -1};
volatile sig_atomic_t pending = 0;
struct sigaction previous[StopSignalNumbers.size()];

extern "C" void onStopSignal(int signalNumber)
{
    // Only async-signal-safe calls here.
    if (pending) {
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber); // delivered once this handler returns
        return;
    }
    pending = 1;
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TStopSignals::TStopSignals(QObject* parent)
    : QObject(parent)
{
    Q_ASSERT(!instance);
    instance = this;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without a pipe the signals keep their usual effect
    m_notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TStopSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls of the workers resume instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < StopSignalNumbers.size(); ++i)
        ::sigaction(StopSignalNumbers[i], &action, &previous[i]);
}

TStopSignals::~TStopSignals()
{
    if (pipeFds[0] >= 0) {
        for (size_t i = 0; i < StopSignalNumbers.size(); ++i)
            ::sigaction(StopSignalNumbers[i], &previous[i], nullptr);
        delete m_notifier;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        pipeFds[0] = pipeFds[1] = -1;
    }
    pending = 0;
    instance = nullptr;
}

TStopSignals* TStopSignals::Instance()
{
    return instance;
}

void TStopSignals::readPipe()
{
    unsigned char byte = 0;
    while (::read(pipeFds[0], &byte, 1) == 1) {
        if (!m_received)
            m_received = byte;
        emit stopRequested(byte);
    }
}
