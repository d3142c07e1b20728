#include "support/fakeplatform.h"

#include "runtime/qtservices.h"

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
