#pragma once
// Where the desktop program keeps its files, and the font it shows Chinese in.

#include <QString>

class QApplication;

namespace numbelle::ui {

// The program folder: NUMBELLE_DIR when set; otherwise the folder of the
// executable when it holds the program's files and is writable; otherwise the
// per-user data folder ($XDG_DATA_HOME/numbelle), filled on first start from the
// installed defaults. Empty when no folder can be prepared.
QString programFolder();

// Files the program folder starts with.
QStringList defaultFiles();

// Makes an installed CJK font the font of the whole program (10 points).
void applyChineseFont(QApplication &app);

// Qt's own texts (the file and print dialogs, the standard buttons of every
// message box, the text boxes' context menus) in Chinese, like the rest of
// the program, whatever the desktop's language. False when Qt's Chinese
// translations are not installed (Debian: qt6-translations-l10n).
bool loadQtTranslations(QApplication &app);

} // namespace numbelle::ui
