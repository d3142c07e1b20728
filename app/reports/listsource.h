#pragma once

#include <QString>

// A list as the reports read it: column headers, and items whose first column
// is the item's text and whose further columns are its sub-items. Items and
// columns count from 0 here; column 0 of an item is its own text.
class ListSource
{
public:
    virtual ~ListSource() = default;

    virtual int columnCount() const = 0;
    virtual QString columnHeader(int column) const = 0;
    virtual int itemCount() const = 0;
    virtual QString text(int item, int column) const = 0;

    // The printed report walks the list by selecting each item in turn.
    virtual void selectItem(int item) = 0;
    // The selected item, or -1 when none is.
    virtual int selectedItem() const = 0;
};
