#pragma once

#include <QPixmap>

class QWidget;

namespace runtime {
class Platform;
}

// Makes "fundo.gif" from the program's folder (an installation's shared data
// folder) the window's background and returns it. A missing or unreadable
// picture leaves the window as it is and gives a null pixmap: the window goes
// on without it.
QPixmap applyBackgroundPicture(QWidget &window, const runtime::Platform &platform);
