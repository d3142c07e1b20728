#pragma once

#include "runtime/platform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Test doubles for the platform layer. None of them ever shows a window.

struct RecordedMessage
{
    runtime::MessageIcon icon;
    QString text, title;
    runtime::MessageButtons buttons;
};

// Records every message box and answers from a script; unscripted, Yes/No is No and an occurrence question Cancel.
class ScriptedMessageBoxes final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon icon, const QString &text, const QString &title,
                                runtime::MessageButtons buttons) override
    {
        shown.append({icon, text, title, buttons});
        if (!answers.isEmpty())
            return answers.dequeue();
        if (buttons == runtime::MessageButtons::OccurrenceOrAll)
            return runtime::MessageAnswer::Cancel;
        return buttons == runtime::MessageButtons::YesNo ? runtime::MessageAnswer::No : runtime::MessageAnswer::Ok;
    }

    QList<RecordedMessage> shown;
    QQueue<runtime::MessageAnswer> answers;
};

// Records the titles and filters a Save or Open dialog was asked with and answers nextFileName.
template <class Dialog>
class ScriptedFileDialog final : public Dialog
{
public:
    QString askFileName(QWidget *, const QString &title, const QString &filter) override
    {
        titles.append(title);
        filters.append(filter);
        return nextFileName;
    }

    QString nextFileName;
    QStringList titles, filters;
};
using ScriptedSaveDialog = ScriptedFileDialog<runtime::SaveDialog>;
using ScriptedOpenDialog = ScriptedFileDialog<runtime::OpenDialog>;

class RecordingShellOpener final : public runtime::ShellOpener
{
public:
    bool open(const QString &pathOrAddress, QWidget *) override
    {
        opened.append(pathOrAddress);
        return result;
    }

    QStringList opened;
    bool result = true;
};

// Stands at day, 14:30, until runFrom() makes it run on with real time from a given moment.
class FixedClock final : public runtime::Clock
{
public:
    explicit FixedClock(const QDate &day) : day(day) {}
    QDate today() const override { return m_runFrom.isValid() ? now().date() : day; }
    QDateTime now() const override
    {
        return m_runFrom.isValid() ? m_runFrom.addMSecs(m_running.elapsed()) : QDateTime(day, QTime(14, 30, 0));
    }
    QLocale locale() const override { return QLocale(QLocale::Portuguese, QLocale::Brazil); }
    void runFrom(const QDateTime &moment)
    {
        m_runFrom = moment;
        m_running.start();
    }

    QDate day;

private:
    QDateTime m_runFrom;
    QElapsedTimer m_running;
};

// A platform living in a temporary folder, today pinned to 10/03/2006, every modal call scripted.
class FakePlatform
{
public:
    FakePlatform();

    runtime::Platform &platform() { return *m_platform; }
    QString folder() const { return m_dir.path(); }
    QString databasePath() const { return m_dir.filePath(QStringLiteral("dados.mdb")); }
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("Zedozarir.ini")); }
    void createEmptyDatabase() const { QFile(databasePath()).open(QIODevice::WriteOnly); } // in the program's folder

    ScriptedMessageBoxes *messages = nullptr;
    ScriptedSaveDialog *saveDialog = nullptr;
    ScriptedOpenDialog *openDialog = nullptr;
    RecordingShellOpener *shell = nullptr;
    FixedClock *clock = nullptr;

private:
    // Hands a new double to the platform through setter and keeps a pointer to it.
    template <class Double, class Base, class... Arguments>
    Double *handOver(void (runtime::Platform::*setter)(std::unique_ptr<Base>), Arguments... arguments)
    {
        auto made = std::make_unique<Double>(arguments...);
        Double *kept = made.get();
        (*m_platform.*setter)(std::move(made));
        return kept;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<runtime::Platform> m_platform;
};
