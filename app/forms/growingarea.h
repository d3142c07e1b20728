#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

// Lets hand-placed controls follow the size of the area that holds them: at
// the area's designed size each keeps its designed place; the room the area
// gains goes to the controls as told. Owned by the area.
class GrowingArea : public QObject
{
    Q_OBJECT
public:
    enum Growth { Wider = 1, Taller = 2, Lower = 4 };

    // The area's size now is its designed size.
    static GrowingArea *install(QWidget &area);
    // The control's place now is its designed place; growth is a mix of Growth.
    void follow(QWidget *control, int growth);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit GrowingArea(QWidget &area);
    void place(const QSize &areaSize);

    struct Control
    {
        QPointer<QWidget> widget;
        QRect designed;
        int growth;
    };
    QSize m_designed;
    QList<Control> m_controls;
};
