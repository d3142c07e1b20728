#include "store/indexsteps.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace indexsteps {

namespace {

constexpr qint64 kStepMs = 200;

bool busy(const QSqlQuery &query)
{
    const QString code = query.lastError().nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
}

} // namespace

bool has(QSqlQuery &query, const QString &type, const QString &name)
{
    query.prepare(QStringLiteral("select count(*) from sqlite_master where type = ? and name = ?"));
    query.addBindValue(type);
    query.addBindValue(name);
    const bool found = query.exec() && query.next() && query.value(0).toInt() > 0;
    query.finish();
    return found;
}

qint64 number(QSqlQuery &query, const QString &statement)
{
    const qint64 value = query.exec(statement) && query.next() ? query.value(0).toLongLong() : -1;
    query.finish();
    return value;
}

StepGate::Outcome inTransaction(QSqlQuery &query, const std::function<StepGate::Outcome()> &body)
{
    if (!query.exec(QStringLiteral("begin immediate")))
        return busy(query) ? StepGate::Outcome::Again : StepGate::Outcome::Failed;
    StepGate::Outcome outcome = body();
    if (outcome == StepGate::Outcome::Done && !query.exec(QStringLiteral("commit")))
        outcome = busy(query) ? StepGate::Outcome::Again : StepGate::Outcome::Failed;
    else if (outcome == StepGate::Outcome::Failed && busy(query))
        outcome = StepGate::Outcome::Again;
    if (outcome != StepGate::Outcome::Done)
        query.exec(QStringLiteral("rollback"));
    return outcome;
}

void StepSize::took(qint64 milliseconds)
{
    const double scale = double(kStepMs) / double(std::max<qint64>(milliseconds, 1));
    m_rows = int(std::clamp(m_rows * std::clamp(scale, 0.5, 2.0), 500.0, 200000.0));
}

} // namespace indexsteps
