#include "forms/remindercommands.h"

#include "exchange/keptplace.h"
#include "forms/frmlembretesys.h"
#include "forms/frmprincipal.h"
#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/modgeral.h"
#include "store/recurrencecolumns.h"
#include "store/titlematch.h"

#include <QSqlQuery>

ReminderCommands::ReminderCommands(runtime::Platform &platform, modgeral &store)
    : m_platform(platform)
    , m_store(store)
{
}

void ReminderCommands::edit(frmprincipal &mainWindow, qint64 key, const QDate &occurrence)
{
    const Statement statement = modgeral::keyQuery(key);
    if (!m_store.openRecordset(statement)) {
        showError(&mainWindow, m_store.lastError());
        return;
    }
    QSqlQuery &recordset = m_store.recordset();
    if (!recordset.next()) {
        m_store.closeRecordset();
        m_platform.messages().show(&mainWindow, runtime::MessageIcon::Warning,
                                   QStringLiteral("O lembrete selecionado não existe mais; ele pode ter sido "
                                                  "removido por outro programa."),
                                   QStringLiteral("Editar"));
        mainWindow.carregarlista();
        return;
    }
    const QString stored = recordset.value(1).toString();
    const QString title = recordset.value(2).toString();
    const QString description = recordset.value(3).toString();
    m_store.closeRecordset();

    frmlembretesys *editor = frmlembretesys::showFor(mainWindow, m_platform, m_store);
    const QString caption = QStringLiteral("Editar lembrete");
    editor->setWindowTitle(caption);
    editor->setActionCaption(caption);
    // The save rewrites this row whatever its title has become by then.
    m_store.setEditStatement(statement);
    const QDate day = occurrence.isValid() ? occurrence : daytext::fromStored(stored);
    editor->fill(day.isValid() ? daytext::shown(day) : stored, title, description);
    editor->showPlace(keptplace::of(m_store.connection(), key, occurrence));
    recurrencecolumns::Timing timing = recurrencecolumns::read(m_store.connection(), key);
    if (!occurrence.isValid()) {
        editor->fillTiming(timing);
        return;
    }
    // The day made a reminder of its own keeps the time and warning, not the repetition.
    timing.repeticao.clear();
    editor->fillTiming(timing);
    editor->editOccurrence(key, occurrence);
}

bool ReminderCommands::remove(QWidget *owner, qint64 key, const QString &title, const QString &storedDay,
                              const QDate &occurrence)
{
    const QString question = occurrence.isValid()
        ? QStringLiteral("Tem certeza que deseja remover o lembrete %1 de %2?").arg(title, daytext::shown(occurrence))
        : removalQuestion(key, title, storedDay);
    const runtime::MessageAnswer answer = m_platform.messages().show(
        owner, runtime::MessageIcon::Question, question, QStringLiteral("Remover"), runtime::MessageButtons::YesNo);
    if (answer != runtime::MessageAnswer::Yes)
        return false;
    QString error;
    const bool removed = occurrence.isValid() ? m_removal.removeOccurrence(m_store, key, occurrence, &error)
                                              : m_removal.remove(m_store, key, &error);
    if (!removed)
        showError(owner, error);
    return true;
}

// The day tells apart reminders that share the title, so it is named only then.
QString ReminderCommands::removalQuestion(qint64 key, const QString &title, const QString &storedDay)
{
    QString question = QStringLiteral("Tem certeza que deseja remover o lembrete ") + title;
    bool shared = false;
    if (titlematch::otherHasTitle(m_store.connection(), key, title, &shared) && shared) {
        const QDate day = daytext::fromStored(storedDay);
        question += QStringLiteral(" de ") + (day.isValid() ? daytext::shown(day) : storedDay);
    }
    return question + QLatin1Char('?');
}

void ReminderCommands::undo(QWidget *owner)
{
    QString error;
    if (!m_removal.undo(m_store, &error))
        showError(owner, error);
}

void ReminderCommands::showError(QWidget *owner, const QString &description)
{
    m_platform.messages().show(owner, runtime::MessageIcon::Critical,
                               QStringLiteral("Ocorreu o seguinte erro: ") + description,
                               QStringLiteral("Erro"));
}
