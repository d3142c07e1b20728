#include "forms/listenterkey.h"

#include <QAbstractItemView>
#include <QKeyEvent>

ListEnterKey::ListEnterKey(QAbstractItemView &list, std::function<void(const QModelIndex &)> open)
    : QObject(&list)
    , m_list(list)
    , m_open(std::move(open))
{
    list.installEventFilter(this);
}

void ListEnterKey::install(QAbstractItemView &list, std::function<void(const QModelIndex &)> open)
{
    new ListEnterKey(list, std::move(open)); // owned by the list
}

bool ListEnterKey::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_open(m_list.currentIndex());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
