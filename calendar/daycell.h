#pragma once

#include <QLabel>

namespace almanaq {

// A label whose single-line border is drawn in one fixed dark colour, not in
// its text colour, so neighbouring cells of different columns share one border.
class BorderedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit BorderedLabel(QWidget *parent);

    static QColor borderColour();

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A label that reports clicks the way the day cells need them: one clicked()
// per press and release of the left button inside it, and for a double click
// one clicked() followed by one doubleClicked().
class DayCell : public BorderedLabel
{
    Q_OBJECT
public:
    DayCell(int index, QWidget *parent);

    int index() const { return m_index; }

signals:
    void clicked(int index);
    void doubleClicked(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    int m_index;
    bool m_pressed = false;
    bool m_inDoubleClick = false;
};

} // namespace almanaq
