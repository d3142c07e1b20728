#pragma once

#include "store/startupwork.h"

#include <QLabel>

// The status-bar panel that tells what the start-up work is doing on the side
// (checking the file, building its indexes with their progress); hidden when
// nothing is under way.
class StartupStatus final : public QLabel
{
    Q_OBJECT
public:
    StartupStatus(const StartupWork &work, QWidget *parent);

    static QString indexingText(int percent);

private:
    void follow();

    const StartupWork &m_work;
};
