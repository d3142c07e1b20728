#pragma once

#include <QDate>
#include <QPixmap>
#include <QWidget>
#include <memory>

class QModelIndex;
class ReminderListModel;
class modgeral;

namespace runtime {
class Platform;
}

namespace Ui {
class frmpormes;
}

// The reminders of one day: the day picked on the calendar, and beside it
// every reminder stored for that day with the days left until it. Reads only;
// a double click or Enter on a reminder asks for its editor.
class frmpormes : public QWidget
{
    Q_OBJECT
public:
    // Creating the window is its load: the background picture, then the list
    // of today's reminders; a failure in either is passed over silently.
    frmpormes(runtime::Platform &platform, modgeral &store, QWidget *parent = nullptr);
    ~frmpormes() override;

    // Refills the list for the calendar's selected day. False, with the
    // reason in lastError(), when the reminders could not be read.
    bool carregarlista();

    // The day the list shows: the calendar's selected day, or today when the
    // calendar library could not be loaded.
    QDate selectedDay() const;
    QString lastError() const { return m_lastError; }

    const QPixmap &picture() const { return m_picture; }
    QWidget *calendarControl() const { return m_calendar; }

signals:
    // The user picked this reminder to open in the editor.
    void abrirLembrete(qint64 key);

public slots:
    void calendario_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void lstlista_DblClick(const QModelIndex &index);
    void Form_Load();
    void createCalendar();
    void fitColumns();
    bool fail(const QString &description);
    void markDaysWithReminders(const QDate &around);

    std::unique_ptr<Ui::frmpormes> ui;
    runtime::Platform &m_platform;
    modgeral &m_store;
    QPixmap m_picture;
    ReminderListModel *m_rows = nullptr;
    QWidget *m_calendar = nullptr;
    QString m_lastError;
};
