#include "runtime/qtservices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QUrl>

namespace runtime {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer QtMessageBoxes::show(QWidget *owner, MessageIcon icon, const QString &text,
                                   const QString &title, MessageButtons buttons)
{
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::NoButton, owner);
    if (buttons == MessageButtons::OccurrenceOrAll) {
        QPushButton *one = box.addButton(QStringLiteral("Somente esta ocorrência"), QMessageBox::AcceptRole);
        QPushButton *all = box.addButton(QStringLiteral("Todas as ocorrências"), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(one);
        box.exec();
        if (box.clickedButton() == one)
            return MessageAnswer::ThisOccurrence;
        return box.clickedButton() == all ? MessageAnswer::AllOccurrences : MessageAnswer::Cancel;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtSaveDialog::askFileName(QWidget *owner, const QString &title, const QString &filter)
{
    // The user's name is kept as typed: no extension is added and an existing
    // file is replaced without a second question.
    QFileDialog dialog(owner, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtOpenDialog::askFileName(QWidget *owner, const QString &title, const QString &filter)
{
    QFileDialog dialog(owner, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtShellOpener::open(const QString &pathOrAddress, QWidget *)
{
    const QUrl url = QFileInfo::exists(pathOrAddress) ? QUrl::fromLocalFile(pathOrAddress)
                                                      : QUrl::fromUserInput(pathOrAddress);
    return QDesktopServices::openUrl(url);
}

QDate SystemClock::today() const
{
    return QDate::currentDate();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

QLocale SystemClock::locale() const
{
    return Platform::userLocale();
}

QSettingsAccess::QSettingsAccess(const QString &filePath)
    : m_settings(filePath.isEmpty()
                     ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                   QStringLiteral("Zedozarir"),
                                                   QStringLiteral("Zedozarir"))
                     : std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

QSettingsAccess::~QSettingsAccess() = default;

QString QSettingsAccess::read(const QString &section, const QString &key,
                              const QString &defaultValue) const
{
    m_settings->sync(); // another run may have written since
    const QVariant value = m_settings->value(section + QLatin1Char('/') + key);
    if (!value.isValid())
        return defaultValue;
    // A hand-written value with a comma comes back as a list: keep it whole.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void QSettingsAccess::write(const QString &section, const QString &key, const QString &value)
{
    m_settings->setValue(section + QLatin1Char('/') + key, value);
    m_settings->sync(); // each write happens at once
}

QString QSettingsAccess::fileName() const
{
    return m_settings->fileName();
}

} // namespace runtime
