#pragma once

#include "store/recurrencecolumns.h"

#include <QDate>
#include <QPixmap>
#include <QWidget>
#include <memory>

class QLabel;
class ScheduleFields;
class frmprincipal;
class modgeral;

namespace runtime {
class Platform;
}

namespace Ui {
class frmlembretesys;
}

// The reminder editor: adds a new reminder or rewrites the one the main
// window's edit command picked. The window caption is the mode: "Adicionar
// lembrete" adds, any other caption rewrites the row the store's edit
// statement names by its key.
class frmlembretesys : public QWidget
{
    Q_OBJECT
public:
    // Creating the window is its load: background picture, today in the date
    // field, the database opened again. None of these steps stops the others.
    frmlembretesys(runtime::Platform &platform, modgeral &store, QWidget *parent = nullptr);
    ~frmlembretesys() override;

    // Shows the editor of the run, loading it when it is not loaded; a save
    // reloads mainWindow's list.
    static frmlembretesys *showFor(frmprincipal &mainWindow, runtime::Platform &platform,
                                   modgeral &store);

    bool isAddMode() const;
    void setActionCaption(const QString &caption);
    // Fills the fields with a stored reminder; day is the "dd/mm/yyyy" text.
    void fill(const QString &day, const QString &title, const QString &description);
    // Fills the time, repetition and warning fields with a stored reminder's.
    void fillTiming(const recurrencecolumns::Timing &timing);
    // The reminder's place from the calendar it came from; hidden when empty.
    void showPlace(const QString &place);
    // The edit rewrites no row: it makes the day occurrence of the series
    // seriesKey a reminder of its own. Until the next fill().
    void editOccurrence(qint64 seriesKey, const QDate &occurrence);

    const QPixmap &picture() const { return m_picture; }
    // The calendar control, or null when its library could not be loaded.
    QWidget *calendarControl() const { return m_calendar; }

signals:
    // A reminder was written; the main window reloads its list.
    void saved();

public slots:
    void cmdacao_Click();
    void cmdcancelar_Click();
    void calendario_Click();

private:
    void Form_Load();
    void createCalendar();
    void adicionar();
    void editar();
    QString description() const;
    using WriteReminder = bool (modgeral::*)(const QString &day, const QString &title,
                                             const QString &description);
    void save(WriteReminder write, const QString &successMessage);
    bool writeWithTiming(WriteReminder write, const QString &day, const recurrencecolumns::Timing &timing);
    bool detachOccurrence(const QString &day, const recurrencecolumns::Timing &timing);
    void reportSaveError(const QString &description);
    void finishSave(const QString &message);

    std::unique_ptr<Ui::frmlembretesys> ui;
    runtime::Platform &m_platform;
    modgeral &m_store;
    QPixmap m_picture;
    QWidget *m_calendar = nullptr;
    ScheduleFields *m_when = nullptr;
    QLabel *m_place = nullptr; // the place the other calendar gave, shown only
    recurrencecolumns::Timing m_storedTiming; // what the reminder being edited had
    qint64 m_seriesKey = 0;
    QDate m_occurrence; // valid while one day of a series is being edited
};
