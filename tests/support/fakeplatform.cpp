#include "support/fakeplatform.h"

#include "runtime/qtservices.h"

#include <QFile>

runtime::MessageAnswer ScriptedMessageBoxes::show(QWidget *, runtime::MessageIcon icon,
                                                  const QString &text, const QString &title,
                                                  runtime::MessageButtons buttons)
{
    shown.append({icon, text, title, buttons});
    if (!answers.isEmpty())
        return answers.dequeue();
    if (buttons == runtime::MessageButtons::OccurrenceOrAll)
        return runtime::MessageAnswer::Cancel;
    return buttons == runtime::MessageButtons::YesNo ? runtime::MessageAnswer::No
                                                     : runtime::MessageAnswer::Ok;
}

QString ScriptedSaveDialog::askFileName(QWidget *, const QString &title, const QString &filter)
{
    titles.append(title);
    filters.append(filter);
    return nextFileName;
}

bool RecordingShellOpener::open(const QString &pathOrAddress, QWidget *)
{
    opened.append(pathOrAddress);
    return result;
}

FakePlatform::FakePlatform()
    : m_platform(std::make_unique<runtime::Platform>(m_dir.path()))
{
    auto messageBoxes = std::make_unique<ScriptedMessageBoxes>();
    messages = messageBoxes.get();
    m_platform->setMessageBoxes(std::move(messageBoxes));

    auto dialog = std::make_unique<ScriptedSaveDialog>();
    saveDialog = dialog.get();
    m_platform->setSaveDialog(std::move(dialog));

    auto openFile = std::make_unique<ScriptedOpenDialog>();
    openDialog = openFile.get();
    m_platform->setOpenDialog(std::move(openFile));

    auto opener = std::make_unique<RecordingShellOpener>();
    shell = opener.get();
    m_platform->setShellOpener(std::move(opener));

    auto fixedClock = std::make_unique<FixedClock>(QDate(2006, 3, 10));
    clock = fixedClock.get();
    m_platform->setClock(std::move(fixedClock));

    m_platform->setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(settingsPath()));
}

QString FakePlatform::databasePath() const
{
    return m_dir.filePath(QStringLiteral("dados.mdb"));
}

QString FakePlatform::settingsPath() const
{
    return m_dir.filePath(QStringLiteral("Zedozarir.ini"));
}

void FakePlatform::createEmptyDatabase() const
{
    QFile file(databasePath());
    file.open(QIODevice::WriteOnly);
}
