#pragma once

class QCoreApplication;

namespace runtime {

// Loads Qt's own Brazilian-Portuguese texts (Debian: qt6-translations-l10n)
// into app: the standard buttons and file dialogs, and the network and file
// errors that the program's messages quote. False when they are missing; the
// program then goes on with Qt's English.
bool installQtTranslations(QCoreApplication &app);

} // namespace runtime
