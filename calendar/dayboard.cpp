#include "dayboard.h"

#include "arrowbitmap.h"
#include "daterules.h"
#include "daycell.h"
#include "libraryinfo.h"
#include "twips.h"

#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>

namespace almanaq {

namespace {

// The design size, in twips.
constexpr int DesignWidthTwips = 3720;
constexpr int DesignHeightTwips = 3540;

// Colours are given as 0x00BBGGRR.
QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

const QColor White = fromBgr(0xFFFFFF);
const QColor TodayYellow = fromBgr(0x00FFFF);
const QColor SelectedGrey = fromBgr(0xC0C0C0);

// The cells' backgrounds are always light; a system text colour too light to
// read on them (a dark desktop palette) gives way to black.
QColor readableOnLight(const QColor &text)
{
    return text.lightnessF() < 0.5 ? text : QColor(Qt::black);
}

void setLabelColours(QLabel *label, const QColor &background, const QColor &text)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
}

QFont designFont(const QString &family, double pointSize, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

int captionValue(const QLabel *cell)
{
    return cell->text().trimmed().toInt();
}

int liveInstances = 0;

} // namespace

Dayboard::Dayboard(ControlSite *site, QWidget *parent)
    : QWidget(parent)
    , m_site(site)
{
    ++liveInstances;
    setAutoFillBackground(true);
    createTitle();
    createWeekdayHeaders();
    createDayCells();
    createButtons();
    resize(toPixels(DesignWidthTwips), toPixels(DesignHeightTwips));

    // Initialize
    WriteWeekdayHeaders();
    m_designHeight = qint16(heightTwips());
    m_designWidth = qint16(widthTwips());
    m_layoutPending = true;
    setFocusPolicy(Qt::StrongFocus);
    GoToToday();
}

Dayboard::~Dayboard()
{
    --liveInstances;
}

QString Dayboard::applicationTitle()
{
    return QString::fromUtf8(info::Title);
}

int Dayboard::instanceCount()
{
    return liveInstances;
}

// ---- Constituent controls -----------------------------------------------------

void Dayboard::placeAt(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void Dayboard::createTitle()
{
    m_title = new QLabel(QStringLiteral("Fevereiro 1993"), this);
    m_title->setObjectName(QStringLiteral("TitMesAno"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setAutoFillBackground(true);
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::Window, fromBgr(0x808080));
    palette.setColor(QPalette::WindowText, fromBgr(0xFFFFFF));
    m_title->setPalette(palette);
    m_title->setFont(designFont(QStringLiteral("Arial"), 15.75));
    placeAt(m_title, 150, 120, 3390, 375);
}

void Dayboard::createWeekdayHeaders()
{
    static const char *const designCaptions[] = {"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SAB"};
    for (int i = 1; i <= 7; ++i) {
        auto *header = new BorderedLabel(this);
        header->setText(QString::fromLatin1(designCaptions[i - 1]));
        header->setObjectName(QStringLiteral("lbDiaSem"));
        header->setProperty("Index", i);
        header->setAlignment(Qt::AlignCenter);
        header->setFrameStyle(QFrame::Box | QFrame::Plain);
        header->setLineWidth(1);
        header->setAutoFillBackground(true);
        setLabelColours(header, fromBgr(0x800000), fromBgr(0xFFFFFF));
        header->setFont(designFont(QStringLiteral("Arial"), 8.25));
        placeAt(header, 165 + 480 * (i - 1), 600, 495, 255);
        m_weekdays[i - 1] = header;
    }
}

void Dayboard::createDayCells()
{
    for (int i = 1; i <= 37; ++i) {
        auto *cell = new DayCell(i, this);
        cell->setObjectName(QStringLiteral("Casa"));
        cell->setProperty("Index", i);
        cell->setAlignment(Qt::AlignCenter);
        cell->setFrameStyle(QFrame::Box | QFrame::Plain);
        cell->setLineWidth(1);
        cell->setAutoFillBackground(true);
        const int column = (i - 1) % 7;
        QColor text = readableOnLight(cell->palette().color(QPalette::Text));
        if (column == 0)
            text = fromBgr(0x0000FF);
        else if (column == 6)
            text = fromBgr(0x000000);
        setLabelColours(cell, White, text);
        cell->setFont(designFont(QStringLiteral("Arial"), 15, true));
        placeAt(cell, 165 + 480 * column, 840 + 420 * ((i - 1) / 7), 495, 435);
        connect(cell, &DayCell::clicked, this, &Dayboard::Casa_Click);
        connect(cell, &DayCell::doubleClicked, this, &Dayboard::Casa_DblClick);
        m_cells[i - 1] = cell;
    }
}

void Dayboard::createButtons()
{
    const QFont buttonFont = designFont(QStringLiteral("Tahoma"), 8.25);
    const auto createMoveButton = [&](int index, ArrowDirection direction, const QString &name) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("btMove"));
        button->setProperty("Index", index);
        button->setIcon(QPixmap::fromImage(arrowImage(direction)));
        button->setIconSize(QSize(16, 17));
        button->setFont(buttonFont);
        button->setAccessibleName(name);
        button->setToolTip(name);
        connect(button, &QPushButton::clicked, this, [this, index] { btMove_Click(index); });
        return button;
    };

    m_moveButtons[0] = createMoveButton(0, ArrowDirection::Left, QStringLiteral("Mês anterior"));
    placeAt(m_moveButtons[0], 1155, 2970, 465, 405);

    m_todayButton = new QPushButton(QStringLiteral("Hoje"), this);
    m_todayButton->setObjectName(QStringLiteral("btHoje"));
    m_todayButton->setFont(buttonFont);
    placeAt(m_todayButton, 1635, 2970, 1425, 405);
    connect(m_todayButton, &QPushButton::clicked, this, &Dayboard::btHoje_Click);

    m_moveButtons[1] = createMoveButton(1, ArrowDirection::Right, QStringLiteral("Próximo mês"));
    placeAt(m_moveButtons[1], 3075, 2970, 465, 405);

    setTabOrder(m_moveButtons[0], m_todayButton);
    setTabOrder(m_todayButton, m_moveButtons[1]);
}

// The constituent controls in collection order: title, weekday headers, day
// cells, then the buttons.
QList<QWidget *> Dayboard::constituentControls() const
{
    QList<QWidget *> controls;
    controls.reserve(48);
    controls.append(m_title);
    for (QLabel *header : m_weekdays)
        controls.append(header);
    for (DayCell *cell : m_cells)
        controls.append(cell);
    controls.append(m_moveButtons[0]);
    controls.append(m_todayButton);
    controls.append(m_moveButtons[1]);
    return controls;
}

// ---- Ambient values -------------------------------------------------------------

QDateTime Dayboard::now() const
{
    return m_site ? m_site->now() : QDateTime::currentDateTime();
}

QLocale Dayboard::locale() const
{
    if (m_site)
        return m_site->locale();
    // The bare C/POSIX locale has no Portuguese names; the calendar speaks Portuguese.
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return system;
}

double Dayboard::roundedNow() const
{
    return RoundHalfEven(toAutomationDate(now()));
}

// ---- Month model ----------------------------------------------------------------

void Dayboard::WriteWeekdayHeaders()
{
    const QLocale names = locale();
    for (int i = 1; i <= 7; ++i) {
        // Sunday = 1 here; Qt counts Monday = 1 .. Sunday = 7.
        const int qtDay = i == 1 ? 7 : i - 1;
        // The three-letter form: Qt's Portuguese short names end with a dot ("sáb.").
        QString name = names.dayName(qtDay, QLocale::ShortFormat);
        while (name.endsWith(QLatin1Char('.')))
            name.chop(1);
        m_weekdays[i - 1]->setText(name.toUpper().left(3));
        m_weekdays[i - 1]->setAccessibleName(names.dayName(qtDay, QLocale::LongFormat));
    }
}

void Dayboard::ShowMonth(double date)
{
    const QDate day = automationDateDay(date);
    if (!day.isValid())
        return;
    m_monthName = locale().toString(day, QStringLiteral("MMMM"));
    m_currentMonth = qint16(day.month());
    m_currentYear = qint16(day.year());
    m_daysInMonth = DaysInMonth(m_currentMonth, m_currentYear);
    m_firstWeekday = FirstWeekday(m_currentMonth, m_currentYear);
    LayOutDays();
}

void Dayboard::LayOutDays()
{
    m_title->setText(ProperCase(m_monthName) + QLatin1Char(' ') + QString::number(m_currentYear));
    m_title->setAccessibleName(m_title->text());

    for (DayCell *cell : m_cells) {
        cell->setText(QStringLiteral(" "));
        cell->setAccessibleName(QString());
        paintCell(cell, White);
    }

    const QDate today = now().date();
    const QDate selected = automationDateDay(m_selectedDate);
    const QLocale names = locale();
    for (int d = 1; d <= m_daysInMonth; ++d) {
        DayCell *cell = m_cells[m_firstWeekday + d - 2];
        const QDate day(m_currentYear, m_currentMonth, d);
        cell->setText(QString::number(d));
        cell->setAccessibleName(names.toString(day, QLocale::LongFormat));
        if (day == today)
            paintCell(cell, TodayYellow);
        else if (day == selected)
            paintCell(cell, SelectedGrey);
        else
            paintCell(cell, White);
    }
    markBoldDays();
}

// With no marked days every number keeps the design's bold; with some, only
// they stay bold.
void Dayboard::markBoldDays()
{
    for (DayCell *cell : m_cells) {
        const int d = captionValue(cell);
        const bool bold = m_boldDays.isEmpty()
                          || (d > 0 && m_boldDays.contains(QDate(m_currentYear, m_currentMonth, d)));
        QFont font = cell->font();
        font.setBold(bold);
        cell->setFont(font);
    }
}

void Dayboard::paintCell(DayCell *cell, const QColor &background)
{
    QPalette palette = cell->palette();
    palette.setColor(QPalette::Window, background);
    cell->setPalette(palette);
}

void Dayboard::PreviousMonth()
{
    if (m_currentMonth == 1) {
        if (m_currentYear == 1753) {
            WarnYearRange();
            return;
        }
        m_currentMonth = 12;
        m_currentYear = qint16(m_currentYear - 1);
    } else {
        m_currentMonth = qint16(m_currentMonth - 1);
    }
    ShowMonth(toAutomationDate(QDate(m_currentYear, m_currentMonth, 1)));
}

void Dayboard::NextMonth()
{
    if (m_currentMonth == 12) {
        if (m_currentYear == 2078) {
            WarnYearRange();
            return;
        }
        m_currentMonth = 1;
        m_currentYear = qint16(m_currentYear + 1);
    } else {
        m_currentMonth = qint16(m_currentMonth + 1);
    }
    ShowMonth(toAutomationDate(QDate(m_currentYear, m_currentMonth, 1)));
}

void Dayboard::GoToToday()
{
    ShowMonth(toAutomationDate(now()));
}

void Dayboard::WarnYearRange()
{
    const QString text = QStringLiteral("Ano inválido. O Ano deve estar no\r\n"
                                        "intervalo de 1753 a 2078, inclusive.");
    if (m_site) {
        m_site->warn(this, text, applicationTitle());
        return;
    }
    QMessageBox box(QMessageBox::Warning, applicationTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

void Dayboard::Casa_Click(int index)
{
    DayCell *cell = m_cells[index - 1];
    const int day = captionValue(cell);
    if (day <= 0)
        return;

    if (m_lastClickedCell >= 1) {
        DayCell *previous = m_cells[m_lastClickedCell - 1];
        const QDate today = now().date();
        const bool isToday = captionValue(previous) == today.day() && m_currentMonth == today.month()
                             && m_currentYear == today.year();
        paintCell(previous, isToday ? TodayYellow : White);
    }
    paintCell(cell, SelectedGrey);
    m_lastClickedCell = qint16(index);
    setSelectedDate(toAutomationDate(QDate(m_currentYear, m_currentMonth, day)));
    emit Click();
}

// The day the arrow keys start from: the selected day when it is in the
// displayed month, else today when it is, else the month's first day.
QDate Dayboard::keyboardDay() const
{
    const QDate selected = automationDateDay(m_selectedDate);
    const auto shown = [this](const QDate &day) {
        return day.isValid() && day.month() == m_currentMonth && day.year() == m_currentYear;
    };
    if (shown(selected))
        return selected;
    const QDate today = now().date();
    return shown(today) ? today : QDate(m_currentYear, m_currentMonth, 1);
}

void Dayboard::moveSelectionBy(int days)
{
    const QDate day = keyboardDay().addDays(days);
    if (day.year() < 1753 || day.year() > 2078)
        return;
    setSelectedDate(toAutomationDate(day));
}

// Enter and Space choose the selected day as a click on its cell does.
void Dayboard::chooseSelectedDay()
{
    const QDate day = keyboardDay();
    Casa_Click(m_firstWeekday + day.day() - 1);
}

void Dayboard::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        moveSelectionBy(-1);
        break;
    case Qt::Key_Right:
        moveSelectionBy(1);
        break;
    case Qt::Key_Up:
        moveSelectionBy(-7);
        break;
    case Qt::Key_Down:
        moveSelectionBy(7);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        chooseSelectedDay();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void Dayboard::Casa_DblClick(int index)
{
    if (captionValue(m_cells[index - 1]) > 0)
        emit DblClick();
}

void Dayboard::btMove_Click(int index)
{
    if (index == 0)
        PreviousMonth();
    else
        NextMonth();
}

void Dayboard::btHoje_Click()
{
    GoToToday();
}

} // namespace almanaq

