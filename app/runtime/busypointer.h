#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace runtime {

// The hourglass for as long as a long piece of work runs on the window's thread.
class BusyPointer
{
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

} // namespace runtime
