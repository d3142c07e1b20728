#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Lets long database work on a thread of its own go in short steps that give
// way to the user's changes: the owner's thread asks for a hold before it
// writes and waits only for the step under way, never for the whole work.
class StepGate
{
public:
    enum class Outcome { Done, Again, Failed };

    // Worker side: runs step until it is done or fails, waiting out holds
    // and retrying while another connection has the file locked. False when
    // the step failed or the gate was stopped first.
    bool run(const std::function<Outcome()> &step);

    // Owner side: the worker starts no new step for a moment (long enough for
    // a change to be written); returns once the step under way has ended.
    void holdForChange();
    // Makes run() return false at the next step.
    void stop();
    bool stopped() const;

private:
    using Clock = std::chrono::steady_clock;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Clock::time_point m_heldUntil{};
    bool m_inStep = false;
    bool m_stopped = false;
};
