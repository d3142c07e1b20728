#include "forms/occurrencescope.h"

#include "runtime/platform.h"
#include "store/daytext.h"

OccurrenceScope askOccurrenceScope(runtime::Platform &platform, QWidget *owner, const QString &caption,
                                   const QString &action, const QString &title, const QDate &day)
{
    const runtime::MessageAnswer answer = platform.messages().show(
        owner, runtime::MessageIcon::Question,
        QStringLiteral("O lembrete %1 se repete. Deseja %2 somente a ocorrência de %3 ou todas as ocorrências?")
            .arg(title, action, daytext::shown(day)),
        caption, runtime::MessageButtons::OccurrenceOrAll);
    switch (answer) {
    case runtime::MessageAnswer::ThisOccurrence:
        return OccurrenceScope::Occurrence;
    case runtime::MessageAnswer::AllOccurrences:
        return OccurrenceScope::Series;
    default:
        return OccurrenceScope::Cancelled;
    }
}
