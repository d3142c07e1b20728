#include "runtime/platform.h"

#include "runtime/printersurface.h"
#include "runtime/qtservices.h"
#include "runtime/windowmanager.h"

#include <QDir>

namespace runtime {

Platform::Platform(const QString &programFolder)
    : m_programFolder(QDir::cleanPath(programFolder))
    , m_layout(ProgramLayout::detect(m_programFolder))
    , m_messages(std::make_unique<QtMessageBoxes>())
    , m_saveDialog(std::make_unique<QtSaveDialog>())
    , m_openDialog(std::make_unique<QtOpenDialog>())
    , m_shell(std::make_unique<QtShellOpener>())
    , m_clock(std::make_unique<SystemClock>())
    , m_settings(std::make_unique<QSettingsAccess>())
    , m_windows(std::make_unique<WindowManager>())
    , m_printer(std::make_unique<QtPrinterSurface>())
{
}

Platform::~Platform() = default;

QString Platform::programFile(const QString &name) const
{
    return m_programFolder + QLatin1Char('/') + name;
}

QString Platform::dataFile(const QString &name) const
{
    return m_layout.dataFolder() + QLatin1Char('/') + name;
}

QString Platform::privateFile(const QString &name) const
{
    return m_layout.privateFolder() + QLatin1Char('/') + name;
}

QString Platform::resourceFile(const QString &name) const
{
    return m_layout.resourceFolder() + QLatin1Char('/') + name;
}

void Platform::setMessageBoxes(std::unique_ptr<MessageBoxes> messages)
{
    m_messages = std::move(messages);
}

void Platform::setSaveDialog(std::unique_ptr<SaveDialog> dialog)
{
    m_saveDialog = std::move(dialog);
}

void Platform::setOpenDialog(std::unique_ptr<OpenDialog> dialog)
{
    m_openDialog = std::move(dialog);
}

void Platform::setShellOpener(std::unique_ptr<ShellOpener> shell)
{
    m_shell = std::move(shell);
}

void Platform::setClock(std::unique_ptr<Clock> clock)
{
    m_clock = std::move(clock);
}

void Platform::setSettingsAccess(std::unique_ptr<SettingsAccess> settings)
{
    m_settings = std::move(settings);
}

void Platform::setPrinterSurface(std::unique_ptr<PrinterSurface> printer)
{
    m_printer = std::move(printer);
}

QLocale Platform::userLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return system;
}

} // namespace runtime
