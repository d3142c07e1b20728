#include "forms/datebox.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QValidator>

namespace {

// Lets through what can still become "dd/mm/yyyy"; only a date that exists
// is acceptable.
class DayTextValidator final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        static const QRegularExpression partial(
            QStringLiteral("^(\\d{0,2}|\\d{1,2}/\\d{0,2}|\\d{1,2}/\\d{1,2}/\\d{0,4})$"));
        if (!partial.match(input).hasMatch())
            return Invalid;
        if (input.size() == 10 && daytext::fromTyped(input).ok())
            return Acceptable;
        return Intermediate;
    }
};

} // namespace

DateBox::DateBox(QWidget *parent)
    : QLineEdit(parent)
{
    setValidator(new DayTextValidator(this));
    setPlaceholderText(QStringLiteral("dd/mm/aaaa"));
}

bool DateBox::isComplete() const
{
    return text().size() == 10 && day().ok();
}

void DateBox::keyPressEvent(QKeyEvent *event)
{
    QLineEdit::keyPressEvent(event);
    // A digit typed at the end that completes the day or the month brings its
    // separator; deleting and editing in the middle are left alone.
    const QString typed = event->text();
    const QString current = text();
    if (typed.size() == 1 && typed.front().isDigit() && cursorPosition() == current.size()
        && (current.size() == 2 || current.size() == 5)) {
        insert(QStringLiteral("/"));
    }
}
