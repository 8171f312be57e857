// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the desktop program keeps its files, and the font it shows Chinese in.

#include <QString>
#include <future>

class QApplication;

namespace numbelle::ui {

// The program folder, or why there is none.
struct ProgramFolder {
    QString path;
    QString refusal; // set when the folder cannot be used: the message for the user
    // The copying of the installed defaults the start-up does not read (the
    // sound files, the code list): not started yet, it runs in the thread
    // that first waits for it, and every wait returns once it is done.
    // Invalid where nothing is copied.
    std::shared_future<void> seeding;
};

// The program folder: NUMBELLE_DIR when set; otherwise the folder of the
// executable when it holds the program's files and is writable; otherwise the
// per-user data folder ($XDG_DATA_HOME/numbelle), filled on first start from the
// installed defaults and made private to the user. A folder that other users
// can write, or that belongs to another user, is refused.
ProgramFolder programFolder();

// Why the folder at path cannot be the program folder; empty when it can.
QString folderRefusal(const QString &path);

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
