// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the program asks of the world outside its own process goes through
// these interfaces: sound, message boxes, the clipboard, handing a file to the
// desktop, the tray icon, window-level effects, the clock, the system's
// power-off, the spreadsheet application, the printer, the microphone and zip
// archives. Two implementations
// exist: the desktop one (real devices) and the recording one used by
// numbelle-script and the tests, which records each request and can be told to
// fail. Logic code holds a Platform& and never calls a device.

#include "common/printjob.h"
#include "common/workbook.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace numbelle::platform {

// One clip of a sound file, named by its speech code and voice ('f' or 'm').
// Without a range the device plays on from where it stands to the file's end.
// The clip comes from the file opened, or from the file named (the second
// sound file of the extra words); a device keeps each file once it has read it.
struct Clip {
    int code = 0;
    char voice = 'f';
    bool hasRange = false;
    int fromMs = 0;
    int toMs = 0;
    QString file; // empty: the file opened
};

class Sound {
public:
    virtual ~Sound() = default;
    // Opens the wave file for playing; opening the file that is already open keeps
    // the device open and usable. Returns false when the device cannot be opened
    // (callers ignore this: only play reports failures).
    virtual bool open(const QString &wavePath) = 0;
    // Starts the clip and returns at once; a clip still sounding stops. Returns
    // false when the play request fails (no device, unreadable file, bad range).
    virtual bool play(const Clip &clip) = 0;
    // Closes the device (a no-op when it is not open).
    virtual void close() = 0;
    // A device that plays on its own thread may refuse a clip after play
    // returned true; it then calls report, on the thread that called play.
    // An empty report stops the reports.
    virtual void setFailureReport(std::function<void()> report) { (void)report; }
    // Lets go of what the device read of a file, so that the next clip from
    // it reads it anew (a word recorded again is a new file by the same
    // name). Harmless for a file never read.
    virtual void forget(const QString &file) { (void)file; }
};

// The sound of the default input (the microphone), for recording words.
class SoundInput {
public:
    virtual ~SoundInput() = default;
    // Starts taking sound: 16-bit samples of one channel, 22,050 a second,
    // whatever the input gives (the sound server converts). A start while
    // taking starts anew. False when there is no input or it cannot be
    // opened.
    virtual bool start() = 0;
    // The samples that came in since the start or the last call; never
    // waits. Nothing when the input failed or was lost since the start.
    virtual std::optional<std::vector<qint16>> take() = 0;
    // Stops taking sound and lets the input go; harmless when not started.
    virtual void stop() = 0;
};

// A file of a zip archive.
struct ArchiveEntry {
    QString name; // as the archive names it
    QByteArray bytes;
};

// What an archive from elsewhere may hold at most: its files are read only
// within these, whatever sizes it claims.
struct ArchiveLimits {
    int entries;
    qint64 entryBytes;
    qint64 totalBytes;
};

// Zip archives, made and read in memory: the caller reads and writes the
// archive's file itself (through the file layer).
class Archives {
public:
    virtual ~Archives() = default;
    enum class ReadResult {
        Read,
        NotAnArchive, // no zip archive at all
        TooLarge,     // more files, or larger ones, than the limits allow
        Damaged,      // a zip archive that cannot be read whole (a checksum that fails, a file cut short)
        Unavailable,  // the archive facility cannot be loaded
    };
    // Every file of the zip archive in bytes, in the archive's order.
    virtual ReadResult unzip(const QByteArray &zip, const ArchiveLimits &limits, QList<ArchiveEntry> &files) = 0;
    // The files as a zip archive (compressed); nothing when it cannot be
    // made (the facility cannot be loaded).
    virtual std::optional<QByteArray> zip(const QList<ArchiveEntry> &files) = 0;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box with an OK button and returns when it is closed.
    virtual void show(const QString &title, const QString &text) = 0;
    // Shows a modal question with the buttons 是 (the default) and 否 (Esc)
    // and returns true for 是.
    virtual bool ask(const QString &title, const QString &text) = 0;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Asks the user for an existing file to open. The filter is in Qt's form
    // ("图片文件 (*.bmp *.jpg);;所有文件 (*)"). Returns the chosen path, or
    // nothing when the user cancelled. The current directory is the same
    // afterwards as before, whatever the user did in the dialog.
    virtual std::optional<QString> openFile(const QString &title, const QString &filter) = 0;
    // Asks the user where to save a file, starting from the suggested name.
    // Returns the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFile(const QString &title, const QString &filter,
                                            const QString &suggestedName) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts text on the system clipboard; false when that fails.
    virtual bool setText(const QString &text) = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    // Hands a file to the desktop to open in its application (a workbook in the
    // user's spreadsheet program). False when no application could be started.
    virtual bool openFile(const QString &path) = 0;
    // Whether the desktop has an application for files of the kind of
    // `fileName` (by its type: "x.xlsx" asks for workbooks), as its file-type
    // defaults and installed applications say. Handing a file over succeeds
    // even where nothing can open it, so an export asks this first.
    virtual bool canOpen(const QString &fileName) = 0;
};

class Tray {
public:
    virtual ~Tray() = default;
    // Whether the desktop has a notification area now. Many have none
    // (stock GNOME, bare window managers), and one may come and go while the
    // program runs (a panel restarted or closed).
    virtual bool available() = 0;
    // Adds the program's icon to the notification area; false on failure
    // (also where there is none).
    virtual bool add() = 0;
    // Removes the icon; harmless when none was added.
    virtual void remove() = 0;
};

class WindowEffects {
public:
    virtual ~WindowEffects() = default;
    // Records or performs window-level requests on a window of the program.
    virtual void minimized(QObject *window) = 0;
    virtual void restored(QObject *window) = 0;
    // Sets the window's alpha (0 invisible .. 255 opaque); false where the system
    // cannot make windows translucent.
    virtual bool setOpacity(QObject *window, int alpha) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() = 0;
};

class Shutdown {
public:
    virtual ~Shutdown() = default;
    // Starts switching the computer off and says whether that is under way.
    // True when the power-off was started and did not report a failure: its
    // command exited successfully, or was still running when the wait ended.
    // False when it could not be started, or exited with a failure status (or
    // crashed) within the wait. The wait is two seconds at most, never longer,
    // so the window thread is never held up for more; a failure reported after
    // that goes unseen. On false nothing is going down: the caller tells the
    // user and clears the schedule that asked for it.
    virtual bool powerOff() = 0;
};

class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;
    enum class ShowResult {
        Shown,
        NotWritten, // the workbook could not be written (a full disk, say)
        NotOpened,  // written, but the desktop did not take it to open
    };
    // Writes the workbook and hands it to the user's spreadsheet application.
    virtual ShowResult show(const Workbook &workbook) = 0;
    // Writes the workbook as an .xlsx file at `path`, a place the user chose,
    // replacing a file there only once the new one is complete; nothing is
    // opened. False when it cannot be written (an old file there stays).
    virtual bool save(const Workbook &workbook, const QString &path) = 0;
};

// Printing on A4 paper. A print job places its texts by measurements asked of
// the printer that prints it, so the page model and the paper agree.
class Printer {
public:
    enum class Result {
        Printed,   // every page went to the printer (or to the file chosen instead)
        Cancelled, // the user cancelled a dialog; nothing was printed
        Failed     // nothing or not every page could be printed
    };

    virtual ~Printer() = default;
    // The width of a text in a font of the given size (points), in the mapped
    // units of a print job. Never fails: an empty text is 0 wide, and without
    // any printer the text is measured as the program's font would print it.
    virtual double textWidth(const QString &text, double pointSize) = 0;
    // The height of one line of text in a font of the given size, in mapped
    // units: how far the next line starts below a printed one. Never fails;
    // always above 0.
    virtual double lineHeight(double pointSize) = 0;
    // Prints the job. Returns Printed when every page was handed on, Cancelled
    // when the user cancelled the print or save dialog, Failed when the
    // printer or the file refused the job (a half-written file is removed).
    // Failures are not shown to the user here: the caller says so.
    virtual Result print(const PrintJob &job) = 0;
};

struct Platform {
    Sound &sound;
    MessageBoxes &messages;
    FileDialogs &dialogs;
    Clipboard &clipboard;
    Desktop &desktop;
    Tray &tray;
    WindowEffects &windows;
    Clock &clock;
    Shutdown &shutdown;
    Spreadsheet &spreadsheet;
    Printer &printer;
    SoundInput &soundInput;
    Archives &archives;
};

} // namespace numbelle::platform
