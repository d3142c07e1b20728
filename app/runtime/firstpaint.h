#pragma once

#include <functional>

class QWidget;

namespace runtime {

// For timing the start-up from outside: when the environment variable
// LEMBRETE_SAIR_APOS_PINTAR is set, the first time the widget has been
// painted the program writes "pintado <ns>" (CLOCK_MONOTONIC) on standard
// output and quits. Otherwise nothing happens.
void quitAfterFirstPaintIfAsked(QWidget *widget);

// Runs action once, in the event loop just after widget's first paint (never
// if widget goes first): work that may wait until the window is up.
void afterFirstPaint(QWidget *widget, std::function<void()> action);

} // namespace runtime
