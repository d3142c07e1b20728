#include "store/stepgate.h"

#include <thread>

namespace {

// A change of the user's is one statement or one transaction: this is plenty.
constexpr std::chrono::milliseconds kHold{1500};
// Another program holding the file: how long to wait before trying again.
constexpr std::chrono::milliseconds kBusyPause{100};

} // namespace

bool StepGate::run(const std::function<Outcome()> &step)
{
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            while (!m_stopped && Clock::now() < m_heldUntil)
                m_changed.wait_until(lock, m_heldUntil);
            if (m_stopped)
                return false;
            m_inStep = true;
        }
        const Outcome outcome = step();
        {
            std::lock_guard lock(m_mutex);
            m_inStep = false;
        }
        m_changed.notify_all();
        if (outcome != Outcome::Again)
            return outcome == Outcome::Done;
        std::this_thread::sleep_for(kBusyPause);
    }
}

void StepGate::holdForChange()
{
    std::unique_lock lock(m_mutex);
    m_heldUntil = Clock::now() + kHold;
    m_changed.wait(lock, [this] { return !m_inStep; });
}

void StepGate::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

bool StepGate::stopped() const
{
    std::lock_guard lock(m_mutex);
    return m_stopped;
}
