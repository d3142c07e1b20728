#pragma once

#include <QObject>
#include <functional>

class QAbstractItemView;
class QModelIndex;

// Enter (either key) on a list opens its current row, as a double click does.
// Owned by the list.
class ListEnterKey : public QObject
{
    Q_OBJECT
public:
    static void install(QAbstractItemView &list, std::function<void(const QModelIndex &)> open);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ListEnterKey(QAbstractItemView &list, std::function<void(const QModelIndex &)> open);

    QAbstractItemView &m_list;
    std::function<void(const QModelIndex &)> m_open;
};
