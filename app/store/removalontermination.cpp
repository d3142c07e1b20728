#include "store/removalontermination.h"

#include <QFile>

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr std::size_t kPathSize = 4096;

// What the handler reads: plain memory filled before it is installed, since
// a signal handler may call only async-signal-safe functions.
std::atomic_flag s_taken = ATOMIC_FLAG_INIT;
char s_path[kPathSize];
char s_journal[kPathSize];
struct sigaction s_previous[std::size(kSignals)];

std::size_t indexOf(int signal)
{
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (kSignals[i] == signal)
            return i;
    }
    return 0;
}

void removeAndPassOn(int signal)
{
    ::unlink(s_path);
    ::unlink(s_journal);
    // The signal is blocked while this runs; raised again, it reaches the
    // earlier action (by default: the end of the process) once this returns.
    sigaction(signal, &s_previous[indexOf(signal)], nullptr);
    raise(signal);
}

bool copyPath(const QByteArray &from, char *to)
{
    if (std::size_t(from.size()) + 1 > kPathSize)
        return false;
    std::memcpy(to, from.constData(), std::size_t(from.size()) + 1);
    return true;
}

} // namespace

RemovalOnTermination::RemovalOnTermination(const QString &path)
{
    if (s_taken.test_and_set())
        return;
    const QByteArray encoded = QFile::encodeName(path);
    if (!copyPath(encoded, s_path) || !copyPath(encoded + "-journal", s_journal)) {
        s_taken.clear();
        return;
    }
    struct sigaction action {};
    action.sa_handler = removeAndPassOn;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    // A signal the process ignores (SIGHUP under nohup) ends nothing and is left so.
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], nullptr, &s_previous[i]);
        if (s_previous[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
    m_active = true;
}

RemovalOnTermination::~RemovalOnTermination()
{
    if (!m_active)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &s_previous[i], nullptr);
    s_taken.clear();
}
