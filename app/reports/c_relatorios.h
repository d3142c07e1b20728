#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class ListSource;
class QProgressBar;
class ReportFile;

// The list exporter: writes any list's column headers, items and sub-items
// into an open report file, as a fixed-width text table or as an HTML table.
// It knows nothing of reminders. A report command makes a fresh one per run
// and sets its write-only properties before calling one writer.
class c_relatorios : public QObject
{
    Q_OBJECT
public:
    explicit c_relatorios(QObject *parent = nullptr);

    // Caps every column but the first, and cuts longer texts there.
    void setMax_LetraForFields(qint16 letters);
    // The letter that underlines the headers; only the first character counts,
    // and an empty text underlines with blanks.
    void setmLetraTXT(const QString &letter);
    // The separated-values writer's field separator (";" unless set) and the
    // character that encloses every field; with none set, fields that need it
    // are enclosed in '"' (RFC 4180). Only the first character counts.
    void setFieldSeparatorCSV(const QString &separator);
    void setFieldEncloseCSV(const QString &enclose);
    // Attaches a progress bar; any other object detaches it.
    void setProgresbar(QObject *bar);

    // The fixed-width table with the headers and their underline when header
    // is true. False, writing nothing, when the list has no items.
    bool Exportar_listaparaTXT(ReportFile &file, const ListSource &list, bool header);
    // The HTML table. False, writing nothing, when the list has no items.
    bool Exportar_listaparaHTML(const ListSource &list, ReportFile &file);

    // The headers and then one line per item, in UTF-8 with a byte-order mark
    // and CR LF line ends; the enclosing character is doubled inside a field.
    // A cell that a spreadsheet would take for a formula (it starts with =, +,
    // -, @, a tab or a carriage return) is written after an apostrophe.
    QByteArray Exportar_listaparaCSV(const ListSource &list);

    // The letter repeated n times, and never fewer than once.
    static QString RepetirLetra(const QString &letter, int n);
    // True for a progress bar and nothing else.
    static bool IsProgressBar(const QObject *object);

signals:
    // Each progress update with the exact percentage the attached bar is given.
    void progressChanged(double percent);

private:
    QString csvField(const QString &text) const;
    int MedirCampo(const QString &text, int column, int cap);
    void setProgress(int item, int count);

    QList<int> larguras; // widths in characters, indexed from 1 by column
    QPointer<QProgressBar> m_progressBar;
    bool m_hasProgressBar = false;
    QString m_letraTXT = QStringLiteral("*");
    QString m_encloseCSV;
    QString m_separatorCSV = QStringLiteral(";");
    qint16 m_maxLetraForFields = 200;
};
