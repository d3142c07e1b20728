#pragma once

#include <QString>

class ListSource;
class QProgressBar;
class QWidget;
class modgeral;

namespace runtime {
class Platform;
}

// The main window's three reports of its list: the text file, the HTML page
// and the printout. Each command reads the list and the status label's text
// as they are when it runs; the progress bar is the window's own.
class ReportCommands
{
public:
    ReportCommands(runtime::Platform &platform, modgeral &store, QWidget *owner);

    // "Salvar em TXT": asks for a file name and writes the fixed-width table.
    void salvarTXT(const ListSource &list, const QString &status, QProgressBar *progressBar);
    // "Salvar em HTML": asks for a file name and writes the page.
    void salvarHTML(const ListSource &list, const QString &status, QProgressBar *progressBar);
    // "Salvar em CSV": asks for a file name and writes the list's columns,
    // separated by ";", in UTF-8.
    void salvarCSV(const ListSource &list, QProgressBar *progressBar);
    // "Imprimir": prints on the default printer, selecting each item in turn.
    void imprimir(ListSource &list, const QString &status);

    // Texts the reports share with the rest of the program.
    static QString generatedAt(const runtime::Platform &platform);
    static QString webAddressWithoutScheme();
    static QString webDomain();
    static QString creditText();
    static QString creditName();

private:
    bool printReport(ListSource &list, const QString &status);
    void finishSavedReport(const QString &fileName, const QString &error);

    runtime::Platform &m_platform;
    modgeral &m_store;
    QWidget *m_owner;
};
