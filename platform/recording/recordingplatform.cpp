// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingplatform.h"

#include "common/fileio.h"
#include "common/wavefile.h"

#include "platform/desktop/xlsxfile.h"
#include "platform/desktop/zipfile.h"

namespace numbelle::platform {

RecordingPlatform::RecordingPlatform() = default;

Platform RecordingPlatform::platform()
{
    return Platform{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this};
}

bool RecordingPlatform::isFailureName(const QString &name)
{
    static const QStringList names = {QStringLiteral("sound"),     QStringLiteral("spreadsheet"),
                                      QStringLiteral("printer"),   QStringLiteral("shutdown"),
                                      QStringLiteral("clipboard"), QStringLiteral("opener"),
                                      QStringLiteral("tray"),      QStringLiteral("microphone")};
    return names.contains(name);
}

void RecordingPlatform::setFailing(const QString &name, bool on)
{
    if (on)
        m_failing.insert(name);
    else
        m_failing.remove(name);
}

QStringList RecordingPlatform::takeSpoken() { return std::exchange(m_spoken, {}); }
QStringList RecordingPlatform::takeMessages() { return std::exchange(m_messages, {}); }
QStringList RecordingPlatform::takeEvents() { return std::exchange(m_events, {}); }

bool RecordingPlatform::open(const QString &)
{
    // The device opens once and stays open; repeated opens change nothing.
    if (!m_soundOpen) {
        m_soundOpen = true;
        m_events.append(QStringLiteral("sound open"));
    }
    return true;
}

bool RecordingPlatform::play(const Clip &clip)
{
    if (failing(QStringLiteral("sound"))) {
        m_events.append(QStringLiteral("sound failed"));
        return false;
    }
    m_spoken.append(QChar::fromLatin1(clip.voice) + QString::number(clip.code));
    return true;
}

void RecordingPlatform::close()
{
    if (m_soundOpen) {
        m_soundOpen = false;
        m_events.append(QStringLiteral("sound close"));
    }
}

void RecordingPlatform::show(const QString &title, const QString &text) { m_messages.append(title + u'|' + text); }

bool RecordingPlatform::ask(const QString &title, const QString &text)
{
    m_messages.append(title + u'|' + text);
    return std::exchange(m_askAnswer, true);
}

std::optional<QString> RecordingPlatform::openFile(const QString &, const QString &)
{
    return std::exchange(m_openAnswer, std::nullopt);
}

std::optional<QString> RecordingPlatform::saveFile(const QString &, const QString &, const QString &)
{
    return std::exchange(m_saveAnswer, std::nullopt);
}

bool RecordingPlatform::setText(const QString &text)
{
    if (failing(QStringLiteral("clipboard")))
        return false;
    m_clipboard = text;
    return true;
}

bool RecordingPlatform::openFile(const QString &path)
{
    if (failing(QStringLiteral("spreadsheet")))
        return false;
    m_events.append(QStringLiteral("open ") + path);
    return true;
}

bool RecordingPlatform::canOpen(const QString &) { return !failing(QStringLiteral("opener")); }

bool RecordingPlatform::available() { return !failing(QStringLiteral("tray")); }

bool RecordingPlatform::add()
{
    if (!available())
        return false;
    m_trayIcon = true;
    m_events.append(QStringLiteral("tray add"));
    return true;
}

void RecordingPlatform::remove()
{
    m_trayIcon = false;
    m_events.append(QStringLiteral("tray delete"));
}

void RecordingPlatform::minimized(QObject *window)
{
    m_events.append(QStringLiteral("minimize ") + window->objectName());
}

void RecordingPlatform::restored(QObject *window)
{
    m_events.append(QStringLiteral("restore ") + window->objectName());
}

bool RecordingPlatform::setOpacity(QObject *window, int alpha)
{
    m_events.append(QStringLiteral("opacity %1 %2").arg(window->objectName()).arg(alpha));
    return true;
}

QDateTime RecordingPlatform::now() { return m_clock ? *m_clock : QDateTime::currentDateTime(); }

bool RecordingPlatform::powerOff()
{
    // Never switches anything off: the request is only written down.
    if (failing(QStringLiteral("shutdown")))
        return false;
    m_events.append(QStringLiteral("shutdown"));
    return true;
}

Spreadsheet::ShowResult RecordingPlatform::show(const Workbook &workbook)
{
    // Nothing is written and nothing opens: the workbook is only kept for
    // printing. A full disk fails it as it would fail writing it.
    if (fileio::hasFault(fileio::Fault::DiskFull))
        return ShowResult::NotWritten;
    if (failing(QStringLiteral("spreadsheet")))
        return ShowResult::NotOpened;
    ++m_workbooksShown;
    m_lastWorkbook = workbook;
    return ShowResult::Shown;
}

bool RecordingPlatform::save(const Workbook &workbook, const QString &path)
{
    if (!saveXlsxFile(workbook, path))
        return false;
    m_events.append(QStringLiteral("save ") + path);
    return true;
}

} // namespace numbelle::platform

namespace numbelle::platform {

namespace {
// A point in mapped units (millimetres).
constexpr double kPoint = 25.4 / 72;
} // namespace

double RecordingPlatform::textWidth(const QString &text, double pointSize)
{
    double ems = 0;
    for (QChar c : text)
        ems += c.unicode() <= 0xFF ? 0.5 : 1.0;
    return ems * pointSize * kPoint;
}

double RecordingPlatform::lineHeight(double pointSize) { return 1.2 * pointSize * kPoint; }

Printer::Result RecordingPlatform::print(const PrintJob &job)
{
    // Nothing goes to paper: the job is only kept for printing out.
    if (failing(QStringLiteral("printer")))
        return Printer::Result::Failed;
    m_lastPrintJob = job;
    return Printer::Result::Printed;
}

} // namespace numbelle::platform

namespace numbelle::platform {

bool RecordingPlatform::start()
{
    m_listening = false;
    if (failing(QStringLiteral("microphone"))) {
        m_events.append(QStringLiteral("microphone failed"));
        return false;
    }
    m_heard.clear();
    m_heardAt = 0;
    if (m_microphone) {
        const std::optional<QByteArray> bytes = fileio::readFile(*m_microphone, 64 * 1024 * 1024);
        const std::optional<Samples> samples = bytes ? readWaveFile(*bytes) : std::nullopt;
        if (samples)
            m_heard = *samples;
    }
    m_listening = true;
    m_events.append(QStringLiteral("microphone start"));
    return true;
}

std::optional<std::vector<qint16>> RecordingPlatform::take()
{
    if (!m_listening || failing(QStringLiteral("microphone")))
        return std::nullopt;
    // 100 ms at each take, as a window timer of that interval would find.
    const size_t chunk = kWaveRate / 10;
    std::vector<qint16> samples(chunk, 0);
    for (size_t i = 0; i < chunk && m_heardAt < m_heard.size(); ++i)
        samples[i] = m_heard[m_heardAt++];
    return samples;
}

void RecordingPlatform::stop()
{
    if (m_listening)
        m_events.append(QStringLiteral("microphone stop"));
    m_listening = false;
}

Archives::ReadResult RecordingPlatform::unzip(const QByteArray &zip, const ArchiveLimits &limits,
                                              QList<ArchiveEntry> &files)
{
    return unzipArchive(zip, limits, files);
}

std::optional<QByteArray> RecordingPlatform::zip(const QList<ArchiveEntry> &files) { return zipArchive(files); }

} // namespace numbelle::platform
