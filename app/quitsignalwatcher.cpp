#include "app/quitsignalwatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void noteSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool installHandlers()
{
    if (signalPipe[0] >= 0)
        return true;
    if (::pipe(signalPipe) != 0)
        return false;
    for (int end : signalPipe) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
    return true;
}

} // namespace

QuitSignalWatcher::QuitSignalWatcher(QObject *parent) : QObject(parent)
{
    if (!installHandlers())
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignalWatcher::readSignals);
}

void QuitSignalWatcher::readSignals()
{
    char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1)
        emit quitRequested(int(byte));
}

#else

// Windows ends a program at logout through the session, which the application handles.
QuitSignalWatcher::QuitSignalWatcher(QObject *parent) : QObject(parent) {}

void QuitSignalWatcher::readSignals() {}

#endif

QuitSignalWatcher::~QuitSignalWatcher() = default;
