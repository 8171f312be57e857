#pragma once
// The desktop platform: real sound through Qt Multimedia, real message boxes,
// the system clipboard, the desktop's file opener, the tray icon and window
// opacity, the spreadsheet application and the printer. The power-off is
// handed in by the desktop program's main(), the one place that names the real
// command (see desktopshutdown.h).

#include "platform/desktop/desktopprinter.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAudioSink;
class QBuffer;
class QSystemTrayIcon;
class QWidget;

namespace numbelle::platform {

class DesktopSound final : public Sound {
public:
    DesktopSound();
    ~DesktopSound() override;
    bool open(const QString &wavePath) override;
    bool play(const Clip &clip) override;
    void close() override;

private:
    // The samples of one sound file, read whole.
    struct Wave {
        QByteArray pcm;
        int sampleRate = 0;
        int channels = 0;
        int bytesPerSample = 0;
    };
    static std::optional<Wave> loadWave(const QString &path);
    // The file at path, read at its first use and kept from then on; nothing
    // when it cannot be read (it is tried again at the next use).
    const Wave *wave(const QString &path);

    std::map<QString, Wave> m_waves; // every file read so far, by path
    QString m_path;                  // the file opened
    qint64 m_position = 0;           // byte position in it where the last clip ended
    std::unique_ptr<QAudioSink> m_sink;
    int m_sinkRate = 0;
    int m_sinkChannels = 0;
    std::unique_ptr<QBuffer> m_buffer;
    QByteArray m_clip;
};

// Spreadsheets: each workbook is written to a new .xlsx file in the temp folder
// and handed to the desktop's application for that file type. The files stay
// when the program ends, since the application may still be showing them.
class DesktopSpreadsheet final : public Spreadsheet {
public:
    bool show(const Workbook &workbook) override;
    bool save(const Workbook &workbook, const QString &path) override;
};

class DesktopPlatform final : MessageBoxes, FileDialogs, Clipboard, Desktop, Tray, WindowEffects, Clock {
public:
    // windowByName finds a loaded window of the program by its name; shutdown
    // is the power-off the platform hands on.
    DesktopPlatform(std::function<QWidget *(const QString &)> windowByName, Shutdown &shutdown);
    ~DesktopPlatform();

    Platform platform();
    // The tray icon, so the window can listen to its clicks.
    QSystemTrayIcon *trayIcon();

private:
    void show(const QString &title, const QString &text) override;
    std::optional<QString> openFile(const QString &title, const QString &filter) override;
    std::optional<QString> saveFile(const QString &title, const QString &filter, const QString &suggestedName) override;
    bool setText(const QString &text) override;
    bool openFile(const QString &path) override;
    bool canOpen(const QString &fileName) override;
    bool add() override;
    void remove() override;
    void minimized(const QString &window) override;
    void restored(const QString &window) override;
    bool setOpacity(const QString &window, int alpha) override;
    QDateTime now() override;

    std::function<QWidget *(const QString &)> m_windowByName;
    Shutdown &m_shutdown;
    DesktopSound m_sound;
    DesktopSpreadsheet m_spreadsheet;
    DesktopPrinter m_printer{*this};
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

} // namespace numbelle::platform
