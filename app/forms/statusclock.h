#pragma once

#include <QLabel>
#include <functional>

class QTimer;

// A status-bar panel that keeps itself current: it shows what text() makes of
// the present moment and refreshes every second.
class StatusClock : public QLabel
{
    Q_OBJECT
public:
    StatusClock(std::function<QString()> text, QWidget *parent = nullptr);

private:
    void refresh();

    std::function<QString()> m_text;
    QTimer *m_timer;
};
