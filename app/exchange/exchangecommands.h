#pragma once

class QWidget;
class modgeral;

namespace runtime {
class Platform;
}

// The main window's iCalendar commands. Each asks for a file, does its work
// on the open reminder database and tells the user how it went.
class ExchangeCommands
{
public:
    ExchangeCommands(runtime::Platform &platform, modgeral &store, QWidget *owner);

    // "Exportar para iCalendar...": every reminder, as all-day events.
    void exportarICalendar();
    // "Importar de iCalendar...": true when reminders were added, so the
    // caller shows them.
    bool importarICalendar();

private:
    runtime::Platform &m_platform;
    modgeral &m_store;
    QWidget *m_owner;
};
