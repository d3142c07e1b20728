#pragma once

#include "almanaqlib.h"

#include <QList>
#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace almanaq {

class DayCell;

// The month calendar control: a title, seven weekday headers, 37 day cells and
// three buttons laid out by hand at fixed design positions and scaled with the
// control. Hosts see it through the properties, signals and class info below
// and the UserControl lifecycle.
class Q_DECL_EXPORT Dayboard : public QWidget, public UserControl
{
    Q_OBJECT
    Q_INTERFACES(almanaq::UserControl)

    Q_CLASSINFO("ProgID", "Almanaqlib.Dayboard")
    Q_CLASSINFO("ClassID", "{703944F0-9203-11D2-8865-AD1268A0A52F}")
    Q_CLASSINFO("InterfaceID", "{703944EF-9203-11D2-8865-AD1268A0A52F}")
    Q_CLASSINFO("EventsID", "{703944F2-9203-11D2-8865-AD1268A0A52F}")
    Q_CLASSINFO("TypeLibraryID", "{703944EE-9203-11D2-8865-AD1268A0A52F}")
    Q_CLASSINFO("TypeLibrary", "Almanaqlib 1.0")
    Q_CLASSINFO("BorderStyleOptionsID", "{703944F1-9203-11D2-8865-AD1268A0A52F}")
    Q_CLASSINFO("DISPID.SelectedDate", "0x68030000")
    Q_CLASSINFO("DISPID.TodayCaption", "0x68030001")
    Q_CLASSINFO("DISPID.BorderStyle", "0x68030002")
    Q_CLASSINFO("DISPID.BoldDays", "0x68030003")
    Q_CLASSINFO("DISPID.AboutBox", "-552")
    Q_CLASSINFO("DISPID.Click", "1")
    Q_CLASSINFO("DISPID.DblClick", "2")
    Q_CLASSINFO("DefaultProperty", "SelectedDate")

    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(QString TodayCaption READ TodayCaption WRITE setTodayCaption)
    Q_PROPERTY(double SelectedDate READ SelectedDate WRITE setSelectedDate NOTIFY SelectedDateChanged)
    Q_PROPERTY(QVariantList BoldDays READ BoldDays WRITE setBoldDays)

public:
    // The instance is initialized here: weekday headers, design size, current month.
    explicit Dayboard(ControlSite *site = nullptr, QWidget *parent = nullptr);
    ~Dayboard() override;

    // Caption of message boxes shown by the library.
    static QString applicationTitle();
    // Instances alive in the process, for the library's unload check.
    static int instanceCount();

    int BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int mNewBorderStyle);

    QString TodayCaption() const;
    void setTodayCaption(const QString &New_TodayCaption);

    double SelectedDate() const { return m_selectedDate; }
    void setSelectedDate(double New_Date);

    // Automation dates of the days to mark; see the contract header.
    QVariantList BoldDays() const;
    void setBoldDays(const QVariantList &days);

    Q_INVOKABLE void AboutBox();

    // UserControl
    void initProperties() override;
    void readProperties(const PropertyBag &bag) override;
    void writeProperties(PropertyBag &bag) const override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Click();
    void DblClick();
    void SelectedDateChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // One constituent control's recorded design geometry (twips) and font size (points).
    struct ControlRecord
    {
        qint16 top = 0;
        qint16 left = 0;
        qint16 height = 0;
        qint16 width = 0;
        qint16 fontSize = 0;
    };

    void createTitle();
    void createWeekdayHeaders();
    void createDayCells();
    void createButtons();
    void placeAt(QWidget *control, int left, int top, int width, int height);

    // Month model
    void WriteWeekdayHeaders();
    void ShowMonth(double date);
    void LayOutDays();
    void PreviousMonth();
    void NextMonth();
    void GoToToday();
    void WarnYearRange();
    void Casa_Click(int index);
    void Casa_DblClick(int index);
    void btMove_Click(int index);
    void btHoje_Click();
    void paintCell(DayCell *cell, const QColor &background);
    void markBoldDays();
    void moveSelectionBy(int days);
    void chooseSelectedDay();
    QDate keyboardDay() const;

    // Layout and scaling
    void UserControl_Resize();
    void UserControl_Show();
    void ScaleControls();
    void CaptureLayout();
    QList<QWidget *> constituentControls() const;
    int widthTwips() const;
    int heightTwips() const;

    QDateTime now() const;
    QLocale locale() const;
    double roundedNow() const;

    ControlSite *m_site;

    QLabel *m_title = nullptr;                    // TitMesAno
    std::array<QLabel *, 7> m_weekdays{};         // lbDiaSem(1..7)
    std::array<DayCell *, 37> m_cells{};          // Casa(1..37)
    std::array<QPushButton *, 2> m_moveButtons{}; // btMove(0), btMove(1)
    QPushButton *m_todayButton = nullptr;         // btHoje

    double m_selectedDate = 0.0;
    qint16 m_currentMonth = 1;
    qint16 m_currentYear = 1899;
    qint16 m_daysInMonth = 31;
    qint16 m_firstWeekday = 1;
    QString m_monthName;
    qint16 m_lastClickedCell = 0;

    qint16 m_borderStyle = FixedSingle;

    qint16 m_designWidth = 0;
    qint16 m_designHeight = 0;
    bool m_layoutPending = true;
    bool m_sizeLocked = false;
    qint32 m_initialWidth = 0;
    qint32 m_initialHeight = 0;
    QList<ControlRecord> m_controlLayout;
    QList<QDate> m_boldDays;
};

} // namespace almanaq
