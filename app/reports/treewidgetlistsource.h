#pragma once

#include "reports/listsource.h"

#include <QPointer>

class QTreeWidget;

// The top-level rows of a QTreeWidget (such as the main window's lstlista)
// read as a list for the reports.
class TreeWidgetListSource final : public ListSource
{
public:
    explicit TreeWidgetListSource(QTreeWidget *tree);

    int columnCount() const override;
    QString columnHeader(int column) const override;
    int itemCount() const override;
    QString text(int item, int column) const override;
    void selectItem(int item) override;
    int selectedItem() const override;

private:
    QPointer<QTreeWidget> m_tree;
    int m_lastSelected = -1;
};
