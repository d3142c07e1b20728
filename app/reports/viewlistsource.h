#pragma once

#include "reports/listsource.h"

#include <QPointer>

class QAbstractItemView;

// The top-level rows of a list view (such as the main window's lstlista)
// read as a list for the reports, through the view's model.
class ViewListSource final : public ListSource
{
public:
    explicit ViewListSource(QAbstractItemView *view);

    int columnCount() const override;
    QString columnHeader(int column) const override;
    int itemCount() const override;
    QString text(int item, int column) const override;
    void selectItem(int item) override;
    int selectedItem() const override;

private:
    QPointer<QAbstractItemView> m_view;
};
