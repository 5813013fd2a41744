#include "core/platform/stopsignals.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <atomic>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::atomic<StopSignals*> current{nullptr};

#ifdef Q_OS_WIN
BOOL WINAPI onConsoleEvent(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT)
        return FALSE;
    if (StopSignals* target = current.load())
        QMetaObject::invokeMethod(target, &StopSignals::stopRequested, Qt::QueuedConnection);
    return TRUE;
}
#else
int pipeEnds[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Nothing to do if the pipe is full: a stop is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
}
#endif

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals()
{
    if (!m_installed)
        return;
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
#else
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
#endif
    current = nullptr;
}

bool StopSignals::install()
{
    StopSignals* none = nullptr;
    if (m_installed || !current.compare_exchange_strong(none, this))
        return m_installed;
#ifdef Q_OS_WIN
    m_installed = SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    if (::pipe(pipeEnds) == 0) {
        for (int end : pipeEnds)
            ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
            }
            Q_EMIT stopRequested();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        m_installed = ::sigaction(SIGINT, &action, nullptr) == 0 &&
                      ::sigaction(SIGTERM, &action, nullptr) == 0;
    }
#endif
    if (!m_installed)
        current = nullptr;
    return m_installed;
}
