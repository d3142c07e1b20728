#include "store/remindercommands.h"

#include "runtime/platform.h"
#include "settings/settingsstore.h"
#include "store/modgeral.h"
#include "store/reminderviews.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariant>

namespace remindercommands {

namespace {

// The editor's texts for the same mistakes.
const QString kWarningTitle = QStringLiteral("Aviso");
const QString kMissingDay = QStringLiteral("O campo data é de preenchimento obrigatório!");
const QString kMissingTitle = QStringLiteral("O campo título é de preenchimento obrigatório!");
const QString kAdded = QStringLiteral("Lembrete cadastrado com sucesso!");

// One reminder as a listed line.
struct ListedReminder
{
    QString storedDay;
    QString title;
    QString description;
};

QString shownDay(const QString &storedDay)
{
    const QDate day = daytext::fromStored(storedDay);
    return day.isValid() ? daytext::shown(day) : storedDay; // a day text edited by hand is shown as it is
}

QString textLine(const ListedReminder &reminder, const QDate &today)
{
    const QDate day = daytext::fromStored(reminder.storedDay);
    const QString left = day.isValid() ? daytext::daysLeft(day, today) : QString();
    // A title cannot break the one-reminder-per-line rule.
    return shownDay(reminder.storedDay) + QStringLiteral("  ") + left.rightJustified(10) + QStringLiteral("  ")
        + tsvField(reminder.title);
}

QString tsvLine(const ListedReminder &reminder, const QDate &today)
{
    const QDate day = daytext::fromStored(reminder.storedDay);
    const QString left = day.isValid() ? QString::number(today.daysTo(day)) : QString();
    return QStringList{tsvField(shownDay(reminder.storedDay)), left, tsvField(reminder.title),
                       tsvField(reminder.description)}
        .join(QLatin1Char('\t'));
}

QString viewOrSaved(const runtime::Platform &platform, const QString &view)
{
    if (!view.isEmpty())
        return view == QStringLiteral("amanhã") ? QStringLiteral("amanha") : view;
    // A saved value that is none of the five shows every reminder, as in the window.
    const QString saved = settings::viewFilter(platform.settings());
    return reminderviews::names().contains(saved) ? saved : QStringLiteral("todos");
}

// The editor keeps a description's line breaks as CR LF.
QString storedDescription(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

} // namespace

QString tsvField(const QString &text)
{
    QString field;
    field.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\'))
            field += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            field += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            field += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            continue; // CR LF is one line break
        else if (c == QLatin1Char('\r'))
            field += QStringLiteral("\\r");
        else
            field += c;
    }
    return field;
}

int listReminders(modgeral &store, const runtime::Platform &platform, const QString &view, ListFormat format,
                  QTextStream &out, QTextStream &err)
{
    const QString chosen = viewOrSaved(platform, view);
    if (!reminderviews::names().contains(chosen)) {
        err << QStringLiteral("lembrete: visão desconhecida: %1 (use %2).\n")
                   .arg(view, reminderviews::names().join(QStringLiteral(", ")));
        return 2;
    }
    store.abrirbanco();
    if (!store.isOpen())
        return 1; // the store has said why
    const QDate today = platform.clock().today();
    const Statement statement = reminderviews::statementFor(chosen, today);
    QSqlQuery rows(store.connection());
    rows.setForwardOnly(true);
    QSqlQuery description(store.connection());
    bool ok = rows.prepare(statement.text)
        && description.prepare(QStringLiteral("select descricao from lembrete where rowid = ?"));
    for (const QVariant &value : statement.values)
        rows.addBindValue(value);
    ok = ok && rows.exec();
    int listed = 0;
    while (ok && rows.next()) {
        ListedReminder reminder{rows.value(QStringLiteral("data")).toString(),
                                rows.value(QStringLiteral("titulo")).toString(), QString()};
        if (format == ListFormat::Tsv) {
            description.addBindValue(rows.value(QStringLiteral("chave")));
            ok = description.exec();
            if (ok && description.next())
                reminder.description = description.value(0).toString();
            description.finish();
        }
        out << (format == ListFormat::Tsv ? tsvLine(reminder, today) : textLine(reminder, today)) << '\n';
        ++listed;
    }
    out.flush();
    const QSqlError error = rows.lastError().isValid() ? rows.lastError() : description.lastError();
    if (ok && !error.isValid())
        return 0;
    err << QStringLiteral("Erro: ") << modgeral::incompleteList(error.text(), listed) << '\n';
    return 1;
}

daytext::TypedDay commandDay(const QString &text, const QDate &today)
{
    const QString word = text.trimmed().toLower();
    if (word == QStringLiteral("hoje"))
        return {today, QString()};
    if (word == QStringLiteral("amanhã") || word == QStringLiteral("amanha"))
        return {today.addDays(1), QString()};
    return daytext::fromTyped(text);
}

int addReminder(modgeral &store, const runtime::Platform &platform, const QString &day, const QString &title,
                const QString &description, QTextStream &out, QTextStream &err)
{
    // The editor's checks: both fields required, and the day one that exists.
    if (day.trimmed().isEmpty() || title.trimmed().isEmpty()) {
        err << kWarningTitle << ": " << (day.trimmed().isEmpty() ? kMissingDay : kMissingTitle) << '\n';
        return 2;
    }
    const daytext::TypedDay typed = commandDay(day, platform.clock().today());
    if (!typed.ok()) {
        err << QStringLiteral("Erro: Ocorreu o seguinte erro: ") << typed.error << '\n';
        return 2;
    }
    store.abrirbanco();
    if (!store.isOpen())
        return 1; // the store has said why
    if (!store.appendReminder(daytext::stored(typed.day), title, storedDescription(description))) {
        err << QStringLiteral("Erro: Ocorreu o seguinte erro: ") << store.lastError() << '\n';
        return 1;
    }
    out << kAdded << '\n'
        << textLine({daytext::stored(typed.day), title, QString()}, platform.clock().today()) << '\n';
    out.flush();
    return 0;
}

} // namespace remindercommands
