#pragma once

#include "store/modgeral.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The views of the reminder list, by the names the settings keep and the
// command line takes: the main window and lembrete --listar read the same
// statement, so both show the same reminders in the same order.
namespace reminderviews {

// "todos", "hoje", "amanha", "7dias", "15dias".
QStringList names();

// The list statement of view on the day today; every reminder for a name
// that is none of the five.
Statement statementFor(const QString &view, const QDate &today);

} // namespace reminderviews
