#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace runtime {

class SettingsAccess;

// Where windows appear: dialogs centred over the window that opened them,
// remembered windows where the user left them, and every one wholly on a
// screen, even after a screen was taken away or made smaller.
namespace windowplacement {

// The rect moved, and shrunk where it is larger, so that it lies wholly in
// the screen area it overlaps most, else in the first one.
QRect keptOnScreen(const QRect &wanted, const QList<QRect> &screens);

// The screens' areas free for windows (without panels), the primary first.
QList<QRect> availableScreens();

// Centres a window that has no place of its own yet over the window of
// owner, wholly on screen.
void centreOver(QWidget &window, const QWidget &owner);

// A remembered place as the settings hold it, "x,y,width,height"; an empty
// rect for a text that is not four whole numbers with a positive size.
QRect parse(const QString &text);
QString text(const QRect &place);

// Gives a resizable window the remembered place (never smaller than its
// minimum size, wholly on screen); nothing when none is remembered.
void restore(QWidget &window, const QString &remembered);
// The window's place as it is now, to be remembered.
QString remember(const QWidget &window);

} // namespace windowplacement
} // namespace runtime
