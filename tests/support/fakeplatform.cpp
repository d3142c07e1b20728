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
    auto boxes = std::make_unique<ScriptedMessageBoxes>();
    auto save = std::make_unique<ScriptedSaveDialog>();
    auto open = std::make_unique<ScriptedOpenDialog>();
    auto opener = std::make_unique<RecordingShellOpener>();
    auto fixed = std::make_unique<FixedClock>(QDate(2006, 3, 10));
    messages = boxes.get();
    saveDialog = save.get();
    openDialog = open.get();
    shell = opener.get();
    clock = fixed.get();
    m_platform->setMessageBoxes(std::move(boxes));
    m_platform->setSaveDialog(std::move(save));
    m_platform->setOpenDialog(std::move(open));
    m_platform->setShellOpener(std::move(opener));
    m_platform->setClock(std::move(fixed));
    m_platform->setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(settingsPath()));
}

void FakePlatform::createEmptyDatabase() const
{
    QFile file(databasePath());
    file.open(QIODevice::WriteOnly);
}
