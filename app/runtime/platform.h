#pragma once

#include "runtime/programlayout.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <memory>

class QWidget;

namespace runtime {

class WindowManager;
class PrinterSurface;

enum class MessageIcon { None, Information, Warning, Critical, Question };
// OccurrenceOrAll asks about one day of a repeating reminder: "Somente esta
// ocorrência", "Todas as ocorrências" or "Cancelar".
enum class MessageButtons { Ok, YesNo, OccurrenceOrAll };
enum class MessageAnswer { Ok, Yes, No, ThisOccurrence, AllOccurrences, Cancel };

// Modal message boxes. Tests replace it with a double that answers from a script.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(QWidget *owner, MessageIcon icon, const QString &text,
                               const QString &title,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

// The Save dialog: returns the chosen file name, or an empty text when cancelled.
class SaveDialog
{
public:
    virtual ~SaveDialog() = default;
    virtual QString askFileName(QWidget *owner, const QString &title, const QString &filter) = 0;
};

// The Open dialog: returns the chosen existing file, or an empty text when cancelled.
class OpenDialog
{
public:
    virtual ~OpenDialog() = default;
    virtual QString askFileName(QWidget *owner, const QString &title, const QString &filter) = 0;
};

// Opens a document or a web address with the desktop's default application.
class ShellOpener
{
public:
    virtual ~ShellOpener() = default;
    virtual bool open(const QString &pathOrAddress, QWidget *owner) = 0;
};

// Today, now and the locale that dates and names follow.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
    virtual QLocale locale() const = 0;
};

// Per-user settings as texts, addressed by section and key.
class SettingsAccess
{
public:
    virtual ~SettingsAccess() = default;
    virtual QString read(const QString &section, const QString &key,
                         const QString &defaultValue) const = 0;
    virtual void write(const QString &section, const QString &key, const QString &value) = 0;
};

// Everything the program needs from the world outside its own code. The real
// services are set up by the constructor; tests swap in doubles.
class Platform
{
public:
    explicit Platform(const QString &programFolder);
    ~Platform();
    Platform(const Platform &) = delete;
    Platform &operator=(const Platform &) = delete;

    // The executable's folder, and a file in it.
    QString programFolder() const { return m_programFolder; }
    QString programFile(const QString &name) const;

    // Where the reminder database, the calendar library and helper
    // executables, and the background picture are: all in the program's
    // folder when it runs portable, apart when it runs installed.
    const ProgramLayout &layout() const { return m_layout; }
    QString dataFile(const QString &name) const;
    QString privateFile(const QString &name) const;
    QString resourceFile(const QString &name) const;

    MessageBoxes &messages() const { return *m_messages; }
    SaveDialog &saveDialog() const { return *m_saveDialog; }
    OpenDialog &openDialog() const { return *m_openDialog; }
    ShellOpener &shell() const { return *m_shell; }
    Clock &clock() const { return *m_clock; }
    SettingsAccess &settings() const { return *m_settings; }
    WindowManager &windows() const { return *m_windows; }
    PrinterSurface &printer() const { return *m_printer; }

    void setMessageBoxes(std::unique_ptr<MessageBoxes> messages);
    void setSaveDialog(std::unique_ptr<SaveDialog> dialog);
    void setOpenDialog(std::unique_ptr<OpenDialog> dialog);
    void setShellOpener(std::unique_ptr<ShellOpener> shell);
    void setClock(std::unique_ptr<Clock> clock);
    void setSettingsAccess(std::unique_ptr<SettingsAccess> settings);
    void setPrinterSurface(std::unique_ptr<PrinterSurface> printer);

    // The locale for dates and names: the user's, or Brazilian Portuguese when
    // the system only has the bare C/POSIX locale.
    static QLocale userLocale();

private:
    QString m_programFolder;
    ProgramLayout m_layout;
    std::unique_ptr<MessageBoxes> m_messages;
    std::unique_ptr<SaveDialog> m_saveDialog;
    std::unique_ptr<OpenDialog> m_openDialog;
    std::unique_ptr<ShellOpener> m_shell;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<SettingsAccess> m_settings;
    std::unique_ptr<WindowManager> m_windows;
    std::unique_ptr<PrinterSurface> m_printer;
};

} // namespace runtime
