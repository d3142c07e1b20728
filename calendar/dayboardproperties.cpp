#include "dayboard.h"

#include "daterules.h"
#include "frmabout.h"

#include <QPushButton>

// The control's properties, and how they are kept in the form's design data.

namespace almanaq {

// ---- Properties -------------------------------------------------------------------

void Dayboard::setBorderStyle(int mNewBorderStyle)
{
    // The surface knows only these two styles; anything else leaves it as it is.
    if (mNewBorderStyle != None && mNewBorderStyle != FixedSingle)
        return;
    m_borderStyle = qint16(mNewBorderStyle);
    update();
    if (m_site)
        m_site->propertyChanged(QStringLiteral("BorderStyle"));
}

QString Dayboard::TodayCaption() const
{
    return m_todayButton->text();
}

void Dayboard::setTodayCaption(const QString &New_TodayCaption)
{
    m_todayButton->setText(New_TodayCaption);
    if (m_site)
        m_site->propertyChanged(QStringLiteral("TodayCaption"));
}

void Dayboard::setSelectedDate(double New_Date)
{
    // A value that is no date at all would leave nothing to show.
    if (!automationDateDay(New_Date).isValid())
        return;
    if (m_site && !m_site->canPropertyChange(QStringLiteral("SelectedDate")))
        return;
    m_selectedDate = New_Date;
    ShowMonth(New_Date);
    if (m_site)
        m_site->propertyChanged(QStringLiteral("SelectedDate"));
    emit SelectedDateChanged();
}

QVariantList Dayboard::BoldDays() const
{
    QVariantList days;
    for (const QDate &day : m_boldDays)
        days.append(toAutomationDate(day));
    return days;
}

void Dayboard::setBoldDays(const QVariantList &days)
{
    m_boldDays.clear();
    for (const QVariant &value : days) {
        bool ok = false;
        const QDate day = automationDateDay(value.toDouble(&ok));
        if (ok && day.isValid())
            m_boldDays.append(day);
    }
    markBoldDays();
}

void Dayboard::AboutBox()
{
    frmAbout::showModal(this);
}

// ---- Lifecycle ---------------------------------------------------------------------

void Dayboard::initProperties()
{
    m_sizeLocked = true;
    m_initialWidth = widthTwips();
    m_initialHeight = heightTwips();
    m_selectedDate = toAutomationDate(now().date());
    m_todayButton->setText(QString::fromLatin1(DefaultTodayCaption));
}

void Dayboard::readProperties(const PropertyBag &bag)
{
    const double defaultDate = roundedNow();
    bool ok = false;
    const double date = bag.read(QLatin1String(DateKey), defaultDate).toDouble(&ok);
    m_selectedDate = ok && automationDateDay(date).isValid() ? date : defaultDate;

    m_todayButton->setText(
            bag.read(QLatin1String(TodayCaptionKey), QString::fromLatin1(DefaultTodayCaption)).toString());
    m_todayButton->setToolTip(locale().toString(now().date(), QLocale::LongFormat));

    const int border = bag.read(QLatin1String(BorderStyleKey), DefaultBorderStyle).toInt(&ok);
    if (ok && (border == None || border == FixedSingle)) {
        m_borderStyle = qint16(border);
        update();
    }
}

void Dayboard::writeProperties(PropertyBag &bag) const
{
    bag.write(QLatin1String(DateKey), m_selectedDate, roundedNow());
    bag.write(QLatin1String(TodayCaptionKey), TodayCaption(), QString::fromLatin1(DefaultTodayCaption));
    bag.write(QLatin1String(BorderStyleKey), QVariant::fromValue<qint16>(m_borderStyle),
              DefaultBorderStyle);
}

} // namespace almanaq
