#include "reports/treewidgetlistsource.h"

#include <QTreeWidget>

TreeWidgetListSource::TreeWidgetListSource(QTreeWidget *tree)
    : m_tree(tree)
{
}

int TreeWidgetListSource::columnCount() const
{
    return m_tree ? m_tree->columnCount() : 0;
}

QString TreeWidgetListSource::columnHeader(int column) const
{
    if (!m_tree || !m_tree->headerItem())
        return QString();
    return m_tree->headerItem()->text(column);
}

int TreeWidgetListSource::itemCount() const
{
    return m_tree ? m_tree->topLevelItemCount() : 0;
}

QString TreeWidgetListSource::text(int item, int column) const
{
    const QTreeWidgetItem *row = m_tree ? m_tree->topLevelItem(item) : nullptr;
    return row ? row->text(column) : QString();
}

void TreeWidgetListSource::selectItem(int item)
{
    QTreeWidgetItem *row = m_tree ? m_tree->topLevelItem(item) : nullptr;
    if (!row)
        return;
    m_tree->setCurrentItem(row);
    m_lastSelected = item;
}

int TreeWidgetListSource::selectedItem() const
{
    if (!m_tree)
        return -1;
    QTreeWidgetItem *current = m_tree->currentItem();
    if (!current || !current->isSelected())
        return -1;
    // Finding a row's index is a walk through the list; the printed report
    // asks right after selecting, so the last selection usually answers.
    if (m_lastSelected >= 0 && m_tree->topLevelItem(m_lastSelected) == current)
        return m_lastSelected;
    return m_tree->indexOfTopLevelItem(current);
}
