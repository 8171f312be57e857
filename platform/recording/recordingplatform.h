// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recording platform: every request to the outside world is written down
// instead of carried out, so scripted sessions and tests can print what the
// program asked for. Any facility can be told to fail, as a missing or broken
// device would. Nothing here sounds, prints, opens an application, touches the
// desktop clipboard or shuts anything down. A workbook the user saves is
// written where they chose, as the desktop program writes it.
//
// The printer measures text with fixed metrics, so scripted printouts come out
// the same on every machine: with em = the font size in points as millimetres
// (size x 25.4 / 72), a character up to U+00FF is half an em wide, any other
// character (Chinese, full-width punctuation) one em; a line is 1.2 em high.

#include "platform/platform.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>
#include <optional>
#include <vector>

namespace numbelle::platform {

class RecordingPlatform final : Sound,
                                MessageBoxes,
                                FileDialogs,
                                Clipboard,
                                Desktop,
                                Tray,
                                WindowEffects,
                                Clock,
                                Shutdown,
                                Spreadsheet,
                                Printer,
                                SoundInput,
                                Archives {
public:
    RecordingPlatform();

    Platform platform();

    // Facilities that can be made to fail: "sound", "spreadsheet", "printer",
    // "shutdown", "clipboard", "microphone" (there is no input: a recording
    // cannot start, and one under way loses its input), "opener": the
    // desktop knows no application
    // for any kind of file (as a bare desktop with nothing installed), and
    // "tray": the desktop has no notification area (an icon added before
    // stays added, out of sight).
    static bool isFailureName(const QString &name);
    void setFailing(const QString &name, bool on);
    bool failing(const QString &name) const { return m_failing.contains(name); }

    // How the next open or save dialog answers: a path, or cancel (nothing).
    // A dialog without an answer set is cancelled.
    void setOpenAnswer(std::optional<QString> answer) { m_openAnswer = std::move(answer); }
    void setSaveAnswer(std::optional<QString> answer) { m_saveAnswer = std::move(answer); }
    // How the next question answers: 是 (true) or 否. A question without an
    // answer set is answered 是, as a message box is closed with OK.
    void setAskAnswer(bool yes) { m_askAnswer = yes; }

    // What the microphone hears at the next start: the samples of a wave
    // file of the program's format (read then), 100 ms of it at each take,
    // and silence after its end; silence throughout without one.
    void setMicrophone(std::optional<QString> waveFile) { m_microphone = std::move(waveFile); }

    // A fixed time for the clock; without one the real time is read.
    void setClock(const QDateTime &time) { m_clock = time; }

    // What was recorded since the last take.
    QStringList takeSpoken();
    QStringList takeMessages();
    QStringList takeEvents();
    void discardSpoken() { m_spoken.clear(); }
    void discardMessages() { m_messages.clear(); }
    void discardEvents() { m_events.clear(); }
    QString clipboardText() const { return m_clipboard; }

    // Workbooks handed to the spreadsheet application so far, and the last one.
    int workbooksShown() const { return m_workbooksShown; }
    const std::optional<Workbook> &lastWorkbook() const { return m_lastWorkbook; }

    // The last job printed, if any.
    const std::optional<PrintJob> &lastPrintJob() const { return m_lastPrintJob; }

private:
    bool open(const QString &wavePath) override;
    bool play(const Clip &clip) override;
    void close() override;
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
    bool powerOff() override;
    ShowResult show(const Workbook &workbook) override;
    bool save(const Workbook &workbook, const QString &path) override;
    double textWidth(const QString &text, double pointSize) override;
    double lineHeight(double pointSize) override;
    Printer::Result print(const PrintJob &job) override;
    bool start() override;
    std::optional<std::vector<qint16>> take() override;
    void stop() override;
    ReadResult unzip(const QByteArray &zip, const ArchiveLimits &limits, QList<ArchiveEntry> &files) override;
    std::optional<QByteArray> zip(const QList<ArchiveEntry> &files) override;

    QSet<QString> m_failing;
    std::optional<QDateTime> m_clock;
    std::optional<QString> m_openAnswer;
    std::optional<QString> m_saveAnswer;
    bool m_askAnswer = true;
    QStringList m_spoken;
    QStringList m_messages;
    QStringList m_events;
    QString m_clipboard;
    bool m_soundOpen = false;
    bool m_trayIcon = false;
    int m_workbooksShown = 0;
    std::optional<Workbook> m_lastWorkbook;
    std::optional<PrintJob> m_lastPrintJob;
    std::optional<QString> m_microphone;
    std::vector<qint16> m_heard; // what the microphone hears, while it is on
    size_t m_heardAt = 0;
    bool m_listening = false;
};

} // namespace numbelle::platform
