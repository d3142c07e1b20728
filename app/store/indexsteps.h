#pragma once

#include "store/stepgate.h"

#include <QString>
#include <functional>

class QSqlQuery;

// What the index builders share: catalogue look-ups and steps that are each
// one short write transaction.
namespace indexsteps {

bool has(QSqlQuery &query, const QString &type, const QString &name);
// The first column of the statement's first row; -1 when it failed.
qint64 number(QSqlQuery &query, const QString &statement);

// Runs body inside "begin immediate" ... "commit": Again (nothing written)
// when another connection holds the file, Failed when a statement failed.
StepGate::Outcome inTransaction(QSqlQuery &query, const std::function<StepGate::Outcome()> &body);

// How many rows a step takes: grown or shrunk so a step lasts about a fifth
// of a second, which a change waiting for it does not feel.
class StepSize
{
public:
    int rows() const { return m_rows; }
    void took(qint64 milliseconds);

private:
    int m_rows = 2000;
};

} // namespace indexsteps
