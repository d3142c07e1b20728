#include "exchange/exchangecommands.h"

#include "exchange/reminderexchange.h"
#include "runtime/busypointer.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "store/modgeral.h"

#include <QDir>
#include <QCursor>
#include <QGuiApplication>

namespace {

const QString kFilter = QStringLiteral("Arquivos iCalendar (*.ics)");

} // namespace

ExchangeCommands::ExchangeCommands(runtime::Platform &platform, modgeral &store, QWidget *owner)
    : m_platform(platform)
    , m_store(store)
    , m_owner(owner)
{
}

void ExchangeCommands::exportarICalendar()
{
    const QString fileName =
        m_platform.saveDialog().askFileName(m_owner, QStringLiteral("Exportar para iCalendar"), kFilter);
    if (fileName.isEmpty())
        return;
    exchange::ExportResult result;
    {
        const runtime::BusyPointer busy;
        result = exchange::exportCalendar(m_store, fileName, m_platform.clock().now());
    }
    if (!result.ok) {
        m_platform.messages().show(m_owner, runtime::MessageIcon::Critical,
                                   QStringLiteral("Ocorreu o seguinte erro: ") + result.error,
                                   QStringLiteral("Erro"));
        return;
    }
    QString text = result.written == 1
        ? QStringLiteral("1 lembrete foi exportado para %1.")
              .arg(QDir::toNativeSeparators(fileName))
        : QStringLiteral("%1 lembretes foram exportados para %2.")
              .arg(QString::number(result.written), QDir::toNativeSeparators(fileName));
    if (result.unreadableDays > 0)
        text += QStringLiteral("\n\n%1 lembrete(s) ficaram de fora porque a data gravada não pôde ser lida.")
                    .arg(result.unreadableDays);
    if (result.uidsNotStored)
        text += QStringLiteral("\n\n") + exchange::uidsNotStoredNote();
    m_platform.messages().show(m_owner, runtime::MessageIcon::Information, text,
                               QStringLiteral("Exportar para iCalendar"));
}

bool ExchangeCommands::importarICalendar()
{
    const QString fileName =
        m_platform.openDialog().askFileName(m_owner, QStringLiteral("Importar de iCalendar"), kFilter);
    if (fileName.isEmpty())
        return false;
    exchange::ImportResult result;
    {
        const runtime::BusyPointer busy;
        result = exchange::importCalendar(m_store, fileName, m_platform.clock().today(),
                                          m_platform.layout().dataFolder());
    }
    m_platform.messages().show(m_owner,
                               result.ok ? runtime::MessageIcon::Information
                                         : runtime::MessageIcon::Critical,
                               exchange::summary(result, fileName),
                               QStringLiteral("Importar de iCalendar"));
    return result.ok && result.imported > 0;
}
