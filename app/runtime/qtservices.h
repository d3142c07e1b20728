#pragma once

#include "runtime/platform.h"

class QSettings;

namespace runtime {

class QtMessageBoxes final : public MessageBoxes
{
public:
    MessageAnswer show(QWidget *owner, MessageIcon icon, const QString &text, const QString &title,
                       MessageButtons buttons) override;
};

class QtSaveDialog final : public SaveDialog
{
public:
    QString askFileName(QWidget *owner, const QString &title, const QString &filter) override;
};

class QtOpenDialog final : public OpenDialog
{
public:
    QString askFileName(QWidget *owner, const QString &title, const QString &filter) override;
};

class QtShellOpener final : public ShellOpener
{
public:
    bool open(const QString &pathOrAddress, QWidget *owner) override;
};

class SystemClock final : public Clock
{
public:
    QDate today() const override;
    QDateTime now() const override;
    QLocale locale() const override;
};

// Settings kept by QSettings in an INI file: the user's own file for
// "Zedozarir", or the file given (tests use a temporary one).
class QSettingsAccess final : public SettingsAccess
{
public:
    explicit QSettingsAccess(const QString &filePath = QString());
    ~QSettingsAccess() override;

    QString read(const QString &section, const QString &key,
                 const QString &defaultValue) const override;
    void write(const QString &section, const QString &key, const QString &value) override;
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace runtime
