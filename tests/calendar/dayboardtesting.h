#pragma once

// Helpers of the calendar control's tests: a container site with a pinned
// clock that records what the control asks of it, and lookups of the
// constituent controls by object name and index.

#include <almanaqlib.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestSite final : public almanaq::ControlSite
{
public:
    struct Warning
    {
        QString text;
        QString title;
    };

    // Friday 10 March 2006, the day every test of the program uses.
    QDateTime clock{QDate(2006, 3, 10), QTime(15, 30)};
    QLocale userLocale{QLocale::Portuguese, QLocale::Brazil};
    bool permitChanges = true;
    QStringList permissionRequests;
    QStringList changedProperties;
    QList<Warning> warnings;

    bool canPropertyChange(const QString &name) override
    {
        permissionRequests.append(name);
        return permitChanges;
    }
    void propertyChanged(const QString &name) override { changedProperties.append(name); }
    QDateTime now() const override { return clock; }
    QLocale locale() const override { return userLocale; }
    void warn(QWidget *, const QString &text, const QString &title) override { warnings.append({text, title}); }
};

template<class Control = QLabel>
Control *indexed(const QWidget *board, const char *name, int index)
{
    for (Control *control : board->findChildren<Control *>(QString::fromLatin1(name))) {
        if (control->property("Index").toInt() == index)
            return control;
    }
    return nullptr;
}

inline QLabel *cell(const QWidget *board, int i) { return indexed(board, "Casa", i); }
inline QLabel *weekdayHeader(const QWidget *board, int i) { return indexed(board, "lbDiaSem", i); }
inline QPushButton *moveButton(const QWidget *board, int i) { return indexed<QPushButton>(board, "btMove", i); }
inline QPushButton *todayButton(const QWidget *board) { return board->findChild<QPushButton *>("btHoje"); }
inline QLabel *title(const QWidget *board) { return board->findChild<QLabel *>("TitMesAno"); }
inline QColor background(const QLabel *label) { return label->palette().color(QPalette::Window); }
inline void clickCell(QWidget *board, int i) { QTest::mouseClick(cell(board, i), Qt::LeftButton); }

inline const QColor Yellow{255, 255, 0};
inline const QColor Grey{192, 192, 192};
inline const QColor White{255, 255, 255};

// The captions of cells 1..37 (list indexes 0..36).
inline QStringList cellTexts(const QWidget *board)
{
    QStringList texts;
    for (int i = 1; i <= 37; ++i)
        texts.append(cell(board, i)->text());
    return texts;
}

// The indexes of the cells painted in colour.
inline QList<int> cellsColoured(const QWidget *board, const QColor &colour)
{
    QList<int> found;
    for (int i = 1; i <= 37; ++i) {
        if (background(cell(board, i)) == colour)
            found.append(i);
    }
    return found;
}
