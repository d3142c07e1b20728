#include "reports/viewlistsource.h"

#include <QAbstractItemView>

ViewListSource::ViewListSource(QAbstractItemView *view)
    : m_view(view)
{
}

int ViewListSource::columnCount() const
{
    return m_view && m_view->model() ? m_view->model()->columnCount() : 0;
}

QString ViewListSource::columnHeader(int column) const
{
    if (!m_view || !m_view->model())
        return QString();
    return m_view->model()->headerData(column, Qt::Horizontal).toString();
}

int ViewListSource::itemCount() const
{
    return m_view && m_view->model() ? m_view->model()->rowCount() : 0;
}

QString ViewListSource::text(int item, int column) const
{
    if (!m_view || !m_view->model())
        return QString();
    return m_view->model()->index(item, column).data().toString();
}

void ViewListSource::selectItem(int item)
{
    if (!m_view || !m_view->model() || !m_view->selectionModel())
        return;
    const QModelIndex row = m_view->model()->index(item, 0);
    if (!row.isValid())
        return;
    m_view->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int ViewListSource::selectedItem() const
{
    if (!m_view || !m_view->selectionModel())
        return -1;
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    if (!current.isValid() || !m_view->selectionModel()->isSelected(current))
        return -1;
    return current.row();
}
