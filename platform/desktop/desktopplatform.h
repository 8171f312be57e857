// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop platform: real sound (desktopsound.h), real message boxes,
// the system clipboard, the desktop's file opener, the tray icon and window
// opacity, the spreadsheet application and the printer. The power-off is
// handed in by the desktop program's main(), the one place that names the real
// command (see desktopshutdown.h).

#include "platform/desktop/desktopprinter.h"
#include "platform/desktop/desktopsound.h"
#include "platform/desktop/desktopsoundinput.h"
#include "platform/platform.h"

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace numbelle::platform {

// Spreadsheets: each workbook is written to a new .xlsx file in the temp folder
// and handed to the desktop's application for that file type. The files stay
// when the program ends, since the application may still be showing them.
class DesktopSpreadsheet final : public Spreadsheet {
public:
    ShowResult show(const Workbook &workbook) override;
    bool save(const Workbook &workbook, const QString &path) override;
};

// Zip archives through the zip module (zipfile.h), loaded at the first use.
class DesktopArchives final : public Archives {
public:
    ReadResult unzip(const QByteArray &zip, const ArchiveLimits &limits, QList<ArchiveEntry> &files) override;
    std::optional<QByteArray> zip(const QList<ArchiveEntry> &files) override;
};

class DesktopPlatform final : MessageBoxes, FileDialogs, Clipboard, Desktop, Tray, WindowEffects, Clock {
public:
    // shutdown is the power-off the platform hands on.
    explicit DesktopPlatform(Shutdown &shutdown);
    ~DesktopPlatform();

    Platform platform();
    // Where the tray icon's clicks go. The icon itself is made when it is
    // first added, not at start-up.
    void setTrayHandler(std::function<void(QSystemTrayIcon::ActivationReason)> handler);

    // Reads the sound file and opens the sound device on the sound thread,
    // and returns at once (see DesktopSound::prepare).
    void prepareSound(const QString &wavePath) { m_sound.prepare(wavePath); }

    // Calls then once, right after the window's first paint has gone to the
    // screen, or after a second when no paint comes: for what the start-up
    // should not wait for.
    static void afterFirstPaint(QWidget *window, std::function<void()> then);

private:
    void show(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;
    std::optional<QString> openFile(const QString &title, const QString &filter) override;
    std::optional<QString> saveFile(const QString &title, const QString &filter, const QString &suggestedName) override;
    bool setText(const QString &text) override;
    bool openFile(const QString &path) override;
    bool canOpen(const QString &fileName) override;
    bool available() override;
    bool add() override;
    void remove() override;
    void minimized(QObject *window) override;
    void restored(QObject *window) override;
    bool setOpacity(QObject *window, int alpha) override;
    QDateTime now() override;

    QSystemTrayIcon *trayIcon();

    std::function<void(QSystemTrayIcon::ActivationReason)> m_trayHandler;
    Shutdown &m_shutdown;
    DesktopSound m_sound;
    DesktopSpreadsheet m_spreadsheet;
    DesktopPrinter m_printer{*this};
    DesktopSoundInput m_soundInput;
    DesktopArchives m_archives;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

} // namespace numbelle::platform
