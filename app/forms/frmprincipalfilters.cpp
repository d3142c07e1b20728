// The main window's view filters: which reminders the list shows, the check
// mark on the filter in force and the status line that names it.
#include "forms/frmprincipal.h"
#include "ui_frmprincipal.h"

#include "runtime/platform.h"
#include "settings/settingsstore.h"
#include "store/daytext.h"
#include "store/modgeral.h"
#include "store/reminderviews.h"

#include <QLabel>

Statement frmprincipal::statementForFilter(const QString &filter) const
{
    return reminderviews::statementFor(filter, m_platform.clock().today());
}

frmprincipal::ViewFilterChoice frmprincipal::viewFilterChoice(const QString &filter) const
{
    const QDate today = m_platform.clock().today();
    const QString only = QStringLiteral("Estatus: Mostrando apenas lembretes de ");
    if (filter == QLatin1String("todos"))
        return {ui->mnutodos, settings::viewfilter::Todos, QStringLiteral("Estatus: Mostrando todos os lembretes")};
    if (filter == QLatin1String("hoje"))
        return {ui->mnuhoje, settings::viewfilter::Hoje,
                only + QStringLiteral("hoje ") + daytext::shown(m_platform.clock().now().date())};
    if (filter == QLatin1String("amanha"))
        return {ui->mnuamanha, settings::viewfilter::Amanha,
                only + QStringLiteral("amanhã ") + daytext::shown(today.addDays(1))};
    if (filter == QLatin1String("7dias"))
        return {ui->mnu7dias, settings::viewfilter::SeteDias,
                only + QStringLiteral("até 7 dias entre ") + daytext::shown(today) + QStringLiteral(" e ")
                    + daytext::shown(today.addDays(7))};
    if (filter == QLatin1String("15dias"))
        return {ui->mnu15dias, settings::viewfilter::QuinzeDias,
                only + QStringLiteral("até 15 dias entre ") + daytext::shown(today) + QStringLiteral(" e ")
                    + daytext::shown(today.addDays(15))};
    return {};
}

void frmprincipal::markViewFilter(const ViewFilterChoice &choice)
{
    for (QAction *filter : {ui->mnutodos, ui->mnuhoje, ui->mnuamanha, ui->mnu7dias, ui->mnu15dias})
        filter->setChecked(filter == choice.item);
    settings::write(m_platform.settings(), settings::keys::Exibir, choice.savedValue);
    ui->lblestatus->setText(choice.statusText);
}

void frmprincipal::applyViewFilter(const ViewFilterChoice &choice)
{
    markViewFilter(choice);
    carregarlista();
}

void frmprincipal::mnutodos_Click()
{
    applyViewFilter(viewFilterChoice(QStringLiteral("todos")));
}

void frmprincipal::mnuhoje_Click()
{
    applyViewFilter(viewFilterChoice(QStringLiteral("hoje")));
}

void frmprincipal::mnuamanha_Click()
{
    applyViewFilter(viewFilterChoice(QStringLiteral("amanha")));
}

void frmprincipal::mnu7dias_Click()
{
    applyViewFilter(viewFilterChoice(QStringLiteral("7dias")));
}

void frmprincipal::mnu15dias_Click()
{
    applyViewFilter(viewFilterChoice(QStringLiteral("15dias")));
}

// While the days of many repeating reminders are found in the background
// they are left out of the list, which loads again once they are found.
void frmprincipal::tellFinding(bool finding)
{
    static const QString text = QStringLiteral("Calculando as datas dos lembretes repetidos…");
    if (finding && m_messagePanel->text() != text) {
        m_messageBeforeFinding = m_messagePanel->text();
        m_messagePanel->setText(text);
    } else if (!finding && m_messagePanel->text() == text) {
        m_messagePanel->setText(m_messageBeforeFinding);
    }
}
