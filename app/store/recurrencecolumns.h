#pragma once

#include <QString>

class QSqlDatabase;

// The columns that give a reminder a time and a repetition, added to a table
// lembrete that lacks them; rows with them empty (NULL) are day-only and once,
// so rows that other programs and older versions write stay valid:
//
// - hora, "HH:MM", the time of day; empty for the whole day
// - repeticao, an RFC 5545 RRULE value; empty for once
// - excecoes, the days taken out of the series, "yyyy/mm/dd" separated by commas
// - antecedencia, how many minutes before the time to warn; empty for at the time
// - serie and ocorrencia, on a reminder made from one day of a series: the
//   series' key and the day it replaces (written out as that series' override)
//
// The index lembrete_especiais_lista holds only the rows with a time or a
// repetition, with every column the lists and notices read of them, so they
// are found without reading the table. It replaces lembrete_especiais (the
// day alone), which files of earlier versions hold until the start-up work
// has built the new one.
namespace recurrencecolumns {

// What the editor sets beyond the day; an empty text is stored as NULL, so
// a reminder with none of them is stored exactly as a day-only one always was.
struct Timing
{
    QString hora;
    QString repeticao;
    QString antecedencia;
    bool isEmpty() const { return hora.isEmpty() && repeticao.isEmpty() && antecedencia.isEmpty(); }
};

// Adds what is missing. False when the table cannot be changed (a read-only
// file): its reminders are then all day-only and once.
bool ensure(const QSqlDatabase &db);

// The statement that makes the index, and whether the file holds it.
QString indexStatement();
bool indexed(const QSqlDatabase &db);

// Whether the table has the columns, so statements may name them.
bool exist(const QSqlDatabase &db);

// Writes timing on the row with this key (the excluded days stay). False,
// with the reason in *error, when the statement fails or finds no such row.
bool write(const QSqlDatabase &db, qint64 key, const Timing &timing, QString *error);
// The timing stored on the row with this key; empty when it has none or the columns are missing.
Timing read(const QSqlDatabase &db, qint64 key);

// The condition, on table lembrete, of the rows with a time or a repetition;
// the same words as the index, so SQLite reads them through it.
QString specialCondition();

} // namespace recurrencecolumns
