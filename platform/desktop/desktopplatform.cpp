#include "desktopplatform.h"

#include "common/fileio.h"
#include "common/log.h"
#include "platform/desktop/exports.h"
#include "platform/desktop/mimeapps.h"
#include "platform/desktop/xlsxfile.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTemporaryFile>
#include <QUrl>
#include <QWidget>
#include <QtEndian>

namespace numbelle::platform {

// ---------------------------------------------------------------------------
// Sound: each wave file is held in memory once read (the sound file and the
// second one of the extra words) and a clip is a slice of one of them, played
// through one audio sink; a new clip stops the one sounding.

DesktopSound::DesktopSound() = default;
DesktopSound::~DesktopSound() { close(); }

std::optional<DesktopSound::Wave> DesktopSound::loadWave(const QString &path)
{
    // Only a regular file, and no more than a sound file of this kind can
    // hold: a FIFO or a huge file in its place must not hold the program up.
    constexpr qint64 kLimit = 256 * 1024 * 1024;
    const auto read = fileio::readFile(path, kLimit + 1);
    if (!read || read->size() > kLimit)
        return std::nullopt;
    const QByteArray &bytes = *read;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    Wave wave;
    qsizetype pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos + 4);
        const qsizetype body = pos + 8;
        if (body + qsizetype(size) > bytes.size() && id != "data")
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + body);
            const quint16 format = qFromLittleEndian<quint16>(p);
            wave.channels = qFromLittleEndian<quint16>(p + 2);
            wave.sampleRate = int(qFromLittleEndian<quint32>(p + 4));
            const quint16 bits = qFromLittleEndian<quint16>(p + 14);
            if (format != 1 || bits != 16 || wave.channels < 1 || wave.sampleRate <= 0)
                return std::nullopt;
            wave.bytesPerSample = 2;
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            wave.pcm = bytes.mid(body, qMin<qsizetype>(size, bytes.size() - body));
            if (wave.pcm.isEmpty())
                return std::nullopt;
            return wave;
        }
        pos = body + size + (size & 1);
    }
    return std::nullopt;
}

const DesktopSound::Wave *DesktopSound::wave(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    auto it = m_waves.find(path);
    if (it == m_waves.end()) {
        auto loaded = loadWave(path);
        if (!loaded)
            return nullptr;
        it = m_waves.emplace(path, std::move(*loaded)).first;
    }
    return &it->second;
}

bool DesktopSound::open(const QString &wavePath)
{
    if (!wave(wavePath))
        return false;
    if (m_path != wavePath) {
        m_path = wavePath;
        m_position = 0;
    }
    return true;
}

bool DesktopSound::play(const Clip &clip)
{
    const bool opened = clip.file.isEmpty();
    const Wave *source = wave(opened ? m_path : clip.file);
    if (!source)
        return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    const qint64 frameBytes = qint64(source->channels) * source->bytesPerSample;
    auto toByte = [&](int ms) {
        const qint64 frame = qint64(ms) * source->sampleRate / 1000;
        return qBound<qint64>(0, frame * frameBytes, source->pcm.size());
    };
    const qint64 start = opened ? m_position : 0;
    const qint64 from = clip.hasRange ? toByte(clip.fromMs) : start;
    const qint64 to = clip.hasRange ? toByte(clip.toMs) : source->pcm.size();
    if (to < from)
        return false;

    if (m_sink && (m_sinkRate != source->sampleRate || m_sinkChannels != source->channels)) {
        m_sink->stop();
        m_sink.reset();
    }
    if (!m_sink) {
        QAudioFormat format;
        format.setSampleRate(source->sampleRate);
        format.setChannelCount(source->channels);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            return false;
        m_sink = std::make_unique<QAudioSink>(device, format);
        m_sinkRate = source->sampleRate;
        m_sinkChannels = source->channels;
        // A short buffer keeps the word close to the key: about 80 ms.
        m_sink->setBufferSize(int(format.bytesForDuration(80000)));
    }
    m_sink->stop();
    m_buffer.reset();
    m_clip = source->pcm.mid(from, to - from);
    m_buffer = std::make_unique<QBuffer>(&m_clip);
    m_buffer->open(QIODevice::ReadOnly);
    m_sink->start(m_buffer.get());
    if (opened)
        m_position = to;
    return m_sink->error() == QAudio::NoError;
}

void DesktopSound::close()
{
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
    m_buffer.reset();
}

// ---------------------------------------------------------------------------

bool DesktopSpreadsheet::show(const Workbook &workbook)
{
    const QString folder = exportsFolder(true);
    const QString path = folder.isEmpty() ? QString() : newExportFile(folder);
    if (path.isEmpty())
        return false;
    QString error;
    if (!writeXlsxFile(workbook, path, &error)) {
        qCWarning(lcNumbelle, "cannot write the workbook %s: %s", qPrintable(path), qPrintable(error));
        QFile::remove(path);
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        qCWarning(lcNumbelle, "the desktop did not take %s to open it", qPrintable(path));
        QFile::remove(path);
        return false;
    }
    rememberExport(path);
    return true;
}

bool DesktopSpreadsheet::save(const Workbook &workbook, const QString &path)
{
    QString error;
    if (saveXlsxFile(workbook, path, &error))
        return true;
    qCWarning(lcNumbelle, "cannot save the workbook as %s: %s", qPrintable(path), qPrintable(error));
    return false;
}

// ---------------------------------------------------------------------------

DesktopPlatform::DesktopPlatform(std::function<QWidget *(const QString &)> windowByName, Shutdown &shutdown)
    : m_windowByName(std::move(windowByName)), m_shutdown(shutdown)
{
    // Exports of earlier runs nobody touched since are cleared away.
    const QString exports = exportsFolder(false);
    if (!exports.isEmpty())
        clearOldExports(exports, QDateTime::currentDateTime());
}

DesktopPlatform::~DesktopPlatform() = default;

Platform DesktopPlatform::platform()
{
    return Platform{m_sound, *this, *this, *this, *this, *this, *this, *this, m_shutdown, m_spreadsheet, m_printer};
}

QSystemTrayIcon *DesktopPlatform::trayIcon()
{
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
        m_tray->setToolTip(QApplication::applicationDisplayName());
    }
    return m_tray.get();
}

void DesktopPlatform::show(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

std::optional<QString> DesktopPlatform::openFile(const QString &title, const QString &filter)
{
    // The dialog may change the current directory (the program folder every
    // file is addressed from); it is put back whatever the user did.
    const QString folder = QDir::currentPath();
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
    QDir::setCurrent(folder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> DesktopPlatform::saveFile(const QString &title, const QString &filter,
                                                 const QString &suggestedName)
{
    const QString folder = QDir::currentPath();
    QFileDialog dialog(QApplication::activeWindow(), title, QDir::home().filePath(suggestedName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without its ending gets the one of the filter ("还款表"
    // is saved as 还款表.pdf).
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star >= 0) {
        qsizetype end = star + 2;
        while (end < filter.size() && filter[end].isLetterOrNumber())
            ++end;
        dialog.setDefaultSuffix(filter.mid(star + 2, end - star - 2));
    }
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    const QString path = chosen ? dialog.selectedFiles().constFirst() : QString();
    QDir::setCurrent(folder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

bool DesktopPlatform::setText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return true;
}

bool DesktopPlatform::openFile(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

bool DesktopPlatform::canOpen(const QString &fileName) { return desktopCanOpen(fileName); }

bool DesktopPlatform::add()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    trayIcon()->show();
    return true;
}

void DesktopPlatform::remove()
{
    if (m_tray)
        m_tray->hide();
}

void DesktopPlatform::minimized(const QString &window)
{
    if (QWidget *w = m_windowByName(window))
        w->showMinimized();
}

void DesktopPlatform::restored(const QString &window)
{
    if (QWidget *w = m_windowByName(window)) {
        w->showNormal();
        w->raise();
        w->activateWindow();
    }
}

bool DesktopPlatform::setOpacity(const QString &window, int alpha)
{
    QWidget *w = m_windowByName(window);
    if (!w)
        return false;
    w->setWindowOpacity(qBound(0, alpha, 255) / 255.0);
    return true;
}

QDateTime DesktopPlatform::now() { return QDateTime::currentDateTime(); }

} // namespace numbelle::platform
