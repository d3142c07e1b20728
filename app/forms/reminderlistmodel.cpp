#include "forms/reminderlistmodel.h"

#include "store/daytext.h"

#include <QApplication>
#include <QStyle>
#include <QTime>
#include <algorithm>

ReminderListModel::ReminderListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int ReminderListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int ReminderListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ReminderListModel::text(int row, int column) const
{
    if (row < 0 || row >= m_shown)
        return QString();
    switch (column) {
    case DayColumn: {
        const QDate day = m_rows.day(row);
        // A day that is not "yyyy/mm/dd" is shown as it is.
        const QString shown = day.isValid() ? daytext::shown(day) : m_rows.storedDay(row);
        const int minutes = m_rows.minutes(row);
        return minutes < 0 ? shown
                           : shown + QLatin1Char(' ') + QTime(minutes / 60, minutes % 60).toString(QStringLiteral("HH:mm"));
    }
    case TitleColumn:
        return m_rows.title(row);
    case DaysLeftColumn: {
        const QDate day = m_rows.day(row);
        return day.isValid() ? daytext::daysLeft(day, m_today) : QString();
    }
    default:
        return QString();
    }
}

QVariant ReminderListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    // A repeating reminder is marked beside its day; its texts stay those of any reminder.
    if (index.column() == DayColumn && index.row() < m_shown && m_rows.repeats(index.row())) {
        if (role == Qt::DecorationRole) {
            if (m_repeatIcon.isNull())
                m_repeatIcon = QApplication::style()->standardIcon(QStyle::SP_BrowserReload);
            return m_repeatIcon;
        }
        if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole)
            return QStringLiteral("Lembrete que se repete");
    }
    return QVariant();
}

QVariant ReminderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case DayColumn:
        return QStringLiteral("Data");
    case TitleColumn:
        return QStringLiteral("Título do lembrete");
    case DaysLeftColumn:
        return QStringLiteral("Dias restantes");
    default:
        return QVariant();
    }
}

Qt::ItemFlags ReminderListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ReminderListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_shown = 0;
    endResetModel();
}

void ReminderListModel::setRows(ReminderRows rows, const QDate &today)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_today = today;
    m_shown = 0;
    endResetModel();
}

int ReminderListModel::showMore(int count)
{
    const int last = std::min(m_shown + count, int(m_rows.size())) - 1;
    if (last >= m_shown) {
        beginInsertRows(QModelIndex(), m_shown, last);
        m_shown = last + 1;
        endInsertRows();
    }
    return m_shown;
}

int ReminderListModel::rowOf(qint64 key) const
{
    for (int row = 0; row < m_shown; ++row) {
        if (m_rows.key(row) == key)
            return row;
    }
    return -1;
}
