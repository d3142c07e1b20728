#include "support/fakeplatform.h"

#include "runtime/qtservices.h"

#include <QFile>

runtime::MessageAnswer ScriptedMessageBoxes::show(QWidget *, runtime::MessageIcon icon, const QString &text,
                                                  const QString &title, runtime::MessageButtons buttons)
{
    shown.append({icon, text, title, buttons});
    if (!answers.isEmpty())
        return answers.dequeue();
    if (buttons == runtime::MessageButtons::OccurrenceOrAll)
        return runtime::MessageAnswer::Cancel;
    return buttons == runtime::MessageButtons::YesNo ? runtime::MessageAnswer::No : runtime::MessageAnswer::Ok;
}

FakePlatform::FakePlatform()
    : m_platform(std::make_unique<runtime::Platform>(m_dir.path()))
{
    messages = handOver<ScriptedMessageBoxes>(&runtime::Platform::setMessageBoxes);
    saveDialog = handOver<ScriptedSaveDialog>(&runtime::Platform::setSaveDialog);
    openDialog = handOver<ScriptedOpenDialog>(&runtime::Platform::setOpenDialog);
    shell = handOver<RecordingShellOpener>(&runtime::Platform::setShellOpener);
    clock = handOver<FixedClock>(&runtime::Platform::setClock, QDate(2006, 3, 10));
    m_platform->setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(settingsPath()));
}

void FakePlatform::createEmptyDatabase() const
{
    QFile file(databasePath());
    file.open(QIODevice::WriteOnly);
}
