#pragma once

class QWidget;

namespace runtime {

// For timing the start-up from outside: when the environment variable
// LEMBRETE_SAIR_APOS_PINTAR is set, the first time the widget has been
// painted the program writes "pintado <ns>" (CLOCK_MONOTONIC) on standard
// output and quits. Otherwise nothing happens.
void quitAfterFirstPaintIfAsked(QWidget *widget);

} // namespace runtime
