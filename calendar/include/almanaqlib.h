#pragma once

// The contract of the calendar control library Almanaq, shared by the library
// and by every program that hosts its controls. Header only: nothing here needs
// linking, so a host that loads the library at run time includes just this.
//
// A host finds the library for a programmatic identifier, resolves its
// class-object entry point, asks it for the factory of a class identifier and
// creates the control as a QWidget. From then on it talks to the control through
// Qt's meta-object system only:
//
//   properties  int     BorderStyle    0 = None, 1 = FixedSingle
//               QString TodayCaption   caption of the today button ("&Hoje")
//               double  SelectedDate   automation date; notifies SelectedDateChanged()
//               QVariantList BoldDays  automation dates (doubles) of days to mark: while
//                                      the list is not empty, only the listed days of
//                                      the displayed month show their number in bold
//                                      (the others in regular weight); empty, every
//                                      number is bold. Not saved with the properties.
//   signals     Click()                a day cell was clicked, or Enter or Space pressed
//                                      on the control (arrow keys move SelectedDate
//                                      by a day or a week); read SelectedDate
//               DblClick()             a day cell was double-clicked
//   invokable   AboutBox()
//
// and runs the container lifecycle through almanaq::UserControl. The
// identifiers and dispatch numbers below also travel as the control's class
// info, so a host can check them on the live object.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QTime>
#include <QVariant>
#include <QVariantMap>
#include <QtGlobal>

#include <cmath>

class QWidget;

namespace almanaq {

// ---- Identity ---------------------------------------------------------------

inline constexpr char TypeLibraryName[] = "Almanaqlib";
inline constexpr int TypeLibraryMajorVersion = 1;
inline constexpr int TypeLibraryMinorVersion = 0;
inline constexpr int TypeLibraryLocale = 0x0409;
inline constexpr char TypeLibraryId[] = "{703944EE-9203-11D2-8865-AD1268A0A52F}";
inline constexpr char DefaultInterfaceName[] = "_Dayboard";
inline constexpr char DefaultInterfaceId[] = "{703944EF-9203-11D2-8865-AD1268A0A52F}";
inline constexpr char ClassName[] = "Dayboard";
inline constexpr char ClassId[] = "{703944F0-9203-11D2-8865-AD1268A0A52F}";
inline constexpr char BorderStyleOptionsId[] = "{703944F1-9203-11D2-8865-AD1268A0A52F}";
inline constexpr char EventInterfaceName[] = "__Dayboard";
inline constexpr char EventInterfaceId[] = "{703944F2-9203-11D2-8865-AD1268A0A52F}";
inline constexpr char ProgId[] = "Almanaqlib.Dayboard";

// The file that holds the library, looked for beside the host's executable.
inline constexpr char LibraryFileName[] = "libAlmanaq.so";

// ---- Automation interface ---------------------------------------------------

enum BorderStyleOptions : qint16 {
    None = 0,
    FixedSingle = 1,
};

namespace dispid {
inline constexpr qint32 SelectedDate = 0x68030000;
inline constexpr qint32 TodayCaption = 0x68030001;
inline constexpr qint32 BorderStyle = 0x68030002;
inline constexpr qint32 BoldDays = 0x68030003;
inline constexpr qint32 AboutBox = -552;
inline constexpr qint32 Click = 1;
inline constexpr qint32 DblClick = 2;
} // namespace dispid

// Keys and defaults of the saved properties, in the order they are written and read.
inline constexpr char DateKey[] = "Date";
inline constexpr char TodayCaptionKey[] = "TodayCaption";
inline constexpr char BorderStyleKey[] = "BorderStyle";
inline constexpr char DefaultTodayCaption[] = "&Hoje";
inline constexpr qint32 DefaultBorderStyle = FixedSingle;

// ---- Automation dates -------------------------------------------------------
// Days since 30 December 1899; the fraction is the time of day. Before that day
// the whole part counts backwards while the fraction still counts forward from
// midnight, so -1.25 is 29 December 1899, 06:00. Dates and times are wall-clock
// values: no time zone is involved, so daylight-saving gaps cannot shift them.

inline constexpr qint64 MillisecondsPerDay = 86400000;

inline QDate automationEpoch()
{
    return QDate(1899, 12, 30);
}

inline double toAutomationDate(const QDate &date, const QTime &time = QTime(0, 0))
{
    if (!date.isValid())
        return 0.0;
    const qint64 days = automationEpoch().daysTo(date);
    const double fraction = time.isValid() ? double(time.msecsSinceStartOfDay()) / MillisecondsPerDay
                                           : 0.0;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

inline double toAutomationDate(const QDateTime &wallClock)
{
    return toAutomationDate(wallClock.date(), wallClock.time());
}

// Splits an automation date into its whole day and its milliseconds since that
// day's midnight, rounding to the millisecond. False for values no date can hold.
inline bool splitAutomationDate(double value, QDate *day, qint64 *msecs)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return false;
    const double whole = std::trunc(value);
    qint64 ms = qint64(std::llround(std::fabs(value - whole) * MillisecondsPerDay));
    QDate date = automationEpoch().addDays(qint64(whole));
    if (ms >= MillisecondsPerDay) { // a fraction that rounds up to a whole day
        date = date.addDays(1);
        ms -= MillisecondsPerDay;
    }
    if (!date.isValid())
        return false;
    *day = date;
    *msecs = ms;
    return true;
}

inline QDate automationDateDay(double value)
{
    QDate day;
    qint64 ms = 0;
    return splitAutomationDate(value, &day, &ms) ? day : QDate();
}

inline QTime automationDateTime(double value)
{
    QDate day;
    qint64 ms = 0;
    return splitAutomationDate(value, &day, &ms) ? QTime::fromMSecsSinceStartOfDay(int(ms)) : QTime();
}

// ---- Container ----------------------------------------------------------------

// What a control asks of the form that holds it. The host owns the site and
// keeps it alive as long as the control.
class ControlSite
{
public:
    virtual ~ControlSite() = default;

    // Data binding: may the named property change now? A "no" leaves it as it is.
    virtual bool canPropertyChange(const QString &name) = 0;
    // The named property changed; the host's document is now modified.
    virtual void propertyChanged(const QString &name) = 0;

    // Ambient values: the current local date and time, and the user's locale.
    virtual QDateTime now() const = 0;
    virtual QLocale locale() const = 0;

    // A modal warning with one OK button, owned by the control's window.
    virtual void warn(QWidget *owner, const QString &text, const QString &title) = 0;
};

// The host document's saved properties of one control.
class PropertyBag
{
public:
    virtual ~PropertyBag() = default;
    // The stored value, or defaultValue when the key is not stored.
    virtual QVariant read(const QString &key, const QVariant &defaultValue) const = 0;
    // Stores value; a value equal to its default is not stored.
    virtual void write(const QString &key, const QVariant &value, const QVariant &defaultValue) = 0;
};

// A property bag over a map: what a form keeps in its design data.
class MapPropertyBag final : public PropertyBag
{
public:
    MapPropertyBag() = default;
    explicit MapPropertyBag(const QVariantMap &values) : m_values(values) {}

    QVariant read(const QString &key, const QVariant &defaultValue) const override
    {
        return m_values.value(key, defaultValue);
    }

    void write(const QString &key, const QVariant &value, const QVariant &defaultValue) override
    {
        if (value == defaultValue)
            m_values.remove(key);
        else
            m_values.insert(key, value);
    }

    const QVariantMap &values() const { return m_values; }

private:
    QVariantMap m_values;
};

// The container lifecycle a host runs on a control it created: the constructor
// is Initialize; then exactly one of initProperties (placed new) or
// readProperties (loaded from a document); resizes and shows follow as Qt
// events; writeProperties whenever the document is saved.
class UserControl
{
public:
    virtual ~UserControl() = default;
    virtual void initProperties() = 0;
    virtual void readProperties(const PropertyBag &bag) = 0;
    virtual void writeProperties(PropertyBag &bag) const = 0;
};

// ---- Class objects ------------------------------------------------------------

inline constexpr char ClassFactoryId[] = "Almanaqlib.ClassFactory/1.0";

// Creates instances of one class. The factory belongs to the library and lives
// as long as it is loaded; the host never frees it.
class ClassFactory
{
public:
    // A new control, owned by parent; site may be null (then the control uses
    // the system clock and locale and shows its own message boxes).
    virtual QWidget *createInstance(QWidget *parent, ControlSite *site) = 0;
    // Keeps the library loaded while locked, even with no instance.
    virtual void lockServer(bool lock) = 0;

protected:
    ~ClassFactory() = default;
};

// Status codes of the entry points: negative means failure.
inline constexpr int StatusOk = 0;
inline constexpr int StatusFalse = 1;
inline constexpr int StatusClassNotAvailable = int(0x80040111u);
inline constexpr int StatusNoInterface = int(0x80004002u);
inline constexpr int StatusInvalidArgument = int(0x80070057u);
// The library's records could not be written to (or removed from) the registry.
inline constexpr int StatusRegistrationFailed = int(0x80040201u);

// The exported entry points, resolved by name.
inline constexpr char GetClassObjectSymbol[] = "DllGetClassObject";
inline constexpr char CanUnloadNowSymbol[] = "DllCanUnloadNow";
inline constexpr char RegisterServerSymbol[] = "DllRegisterServer";
inline constexpr char UnregisterServerSymbol[] = "DllUnregisterServer";

// What registration records besides the identifiers above.
inline constexpr char HelpFileName[] = "Almanaq.hlp";

extern "C" {
// Puts the factory of classId into *factory when interfaceId is ClassFactoryId.
typedef int (*GetClassObjectFunction)(const char *classId, const char *interfaceId, void **factory);
// StatusOk when no instance and no lock is outstanding, StatusFalse otherwise.
typedef int (*CanUnloadNowFunction)();
// Writes (or removes) the library's records in the component registry of
// ComponentRegistry::defaultPath(): StatusOk, or StatusRegistrationFailed.
typedef int (*RegisterServerFunction)();
typedef int (*UnregisterServerFunction)();
}

} // namespace almanaq

Q_DECLARE_INTERFACE(almanaq::UserControl, "Almanaqlib.UserControl/1.0")
