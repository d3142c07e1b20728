#pragma once

#include <QString>

#include <csignal>

// While it lives, a termination signal (SIGTERM, as a logout sends, SIGINT,
// SIGHUP) first removes the file being written and its journal, then takes
// the action it had before. One file at a time in a process: a second one
// while the first is held is not taken (isActive() is false).
class RemovalOnTermination
{
public:
    explicit RemovalOnTermination(const QString &path);
    ~RemovalOnTermination();
    RemovalOnTermination(const RemovalOnTermination &) = delete;
    RemovalOnTermination &operator=(const RemovalOnTermination &) = delete;

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
};
