#pragma once

#include "store/reminderrows.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QIcon>

// The three columns of a reminder list (Data, Título do lembrete, Dias
// restantes) over compact rows. The texts are made when a row is shown, so
// the model holds no more than the rows themselves.
class ReminderListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { DayColumn, TitleColumn, DaysLeftColumn, ColumnCount };

    explicit ReminderListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Empties the list.
    void clear();
    // Takes freshly read rows, with the day the days left count from. None
    // is shown yet: showMore() shows them, a part at a time if wanted.
    void setRows(ReminderRows rows, const QDate &today);
    // Shows up to count more of the rows taken; returns how many are shown.
    int showMore(int count);
    // Every row taken, shown or not yet.
    int rowsTaken() const { return int(m_rows.size()); }

    QString text(int row, int column) const;
    QString title(int row) const { return m_rows.title(row); }
    QString storedDay(int row) const { return m_rows.storedDay(row); }
    // The row's day (for a repeating reminder, the day of that occurrence).
    QDate day(int row) const { return m_rows.day(row); }
    bool repeats(int row) const { return m_rows.repeats(row); }
    // Whether any row shows a time or a repetition mark, which need a wider day column.
    bool hasScheduled() const { return m_rows.hasScheduled(); }
    qint64 key(int row) const { return m_rows.key(row); }
    // The shown row with this key, else -1.
    int rowOf(qint64 key) const;

private:
    ReminderRows m_rows;
    QDate m_today;
    int m_shown = 0;
    mutable QIcon m_repeatIcon; // the mark of a repeating reminder, made when first shown
};
