#pragma once

class QAbstractItemView;

namespace runtime {
class SettingsAccess;
}

// Gives the reminder list the font, text colour and row stripes kept in the
// settings. The list colours its rows itself: row 1 and every second row
// after it take the first background colour, the others the second. An
// empty list keeps the stripes it had, so a change shows from the next time
// the list has rows and the window is activated.
void applyListAppearance(QAbstractItemView &list, const runtime::SettingsAccess &settings);
