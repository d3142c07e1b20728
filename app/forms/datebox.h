#pragma once

#include <QLineEdit>

#include "store/daytext.h"

// The date-entry box of the program's date fields. Its value is a text: what
// is written reads back unchanged, an untouched or emptied box reads back
// empty, and a complete date reads "dd/mm/yyyy". Typing takes digits only and
// places the separators for the user.
class DateBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);

    // True when the text is a complete date that exists on the calendar.
    bool isComplete() const;
    // The text read as day, month, year, with the reason when it does not convert.
    daytext::TypedDay day() const { return daytext::fromTyped(text()); }
    void setDay(const QDate &day) { setText(daytext::shown(day)); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
