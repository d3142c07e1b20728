#pragma once

#include <QDate>
#include <QString>

class QWidget;

namespace runtime {
class Platform;
}

// Whether a command on a row of a repeating reminder is for that day alone
// or for the whole series.
enum class OccurrenceScope { Series, Occurrence, Cancelled };

// Asks, naming the reminder and the row's day; action is the command's verb ("editar", "remover").
OccurrenceScope askOccurrenceScope(runtime::Platform &platform, QWidget *owner, const QString &caption,
                                   const QString &action, const QString &title, const QDate &day);
