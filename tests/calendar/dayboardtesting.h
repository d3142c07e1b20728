#pragma once

// Helpers shared by the calendar control's tests: a container site with a
// pinned clock that records what the control asks of it, and lookups of the
// constituent controls by object name and index.

#include <almanaqlib.h>

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QWidget>

struct RecordedWarning
{
    QString text;
    QString title;
};

class TestSite final : public almanaq::ControlSite
{
public:
    // Friday 10 March 2006, the day every test of the program uses.
    QDateTime clock{QDate(2006, 3, 10), QTime(15, 30)};
    QLocale userLocale{QLocale::Portuguese, QLocale::Brazil};
    bool permitChanges = true;
    QStringList permissionRequests;
    QStringList changedProperties;
    QList<RecordedWarning> warnings;

    bool canPropertyChange(const QString &name) override
    {
        permissionRequests.append(name);
        return permitChanges;
    }
    void propertyChanged(const QString &name) override { changedProperties.append(name); }
    QDateTime now() const override { return clock; }
    QLocale locale() const override { return userLocale; }
    void warn(QWidget *, const QString &text, const QString &title) override
    {
        warnings.append({text, title});
    }
};

template<class Control = QLabel>
Control *indexed(const QWidget *board, const char *name, int index)
{
    const auto controls = board->findChildren<Control *>(QString::fromLatin1(name));
    for (Control *control : controls) {
        if (control->property("Index").toInt() == index)
            return control;
    }
    return nullptr;
}

inline QLabel *cell(const QWidget *board, int index)
{
    return indexed<QLabel>(board, "Casa", index);
}

inline QLabel *weekdayHeader(const QWidget *board, int index)
{
    return indexed<QLabel>(board, "lbDiaSem", index);
}

inline QPushButton *moveButton(const QWidget *board, int index)
{
    return indexed<QPushButton>(board, "btMove", index);
}

inline QPushButton *todayButton(const QWidget *board)
{
    return board->findChild<QPushButton *>(QStringLiteral("btHoje"));
}

inline QLabel *title(const QWidget *board)
{
    return board->findChild<QLabel *>(QStringLiteral("TitMesAno"));
}

inline QColor background(const QLabel *label)
{
    return label->palette().color(QPalette::Window);
}

inline const QColor Yellow{255, 255, 0};
inline const QColor Grey{192, 192, 192};
inline const QColor White{255, 255, 255};

// The texts of the 37 day cells, 1-based positions as list indexes 0..36.
inline QStringList cellTexts(const QWidget *board)
{
    QStringList texts;
    for (int i = 1; i <= 37; ++i)
        texts.append(cell(board, i)->text());
    return texts;
}

// Indexes of the cells painted in colour.
inline QList<int> cellsColoured(const QWidget *board, const QColor &colour)
{
    QList<int> found;
    for (int i = 1; i <= 37; ++i) {
        if (background(cell(board, i)) == colour)
            found.append(i);
    }
    return found;
}

inline void clickCell(QWidget *board, int index)
{
    QTest::mouseClick(cell(board, index), Qt::LeftButton);
}
