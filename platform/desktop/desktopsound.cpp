#include "desktopsound.h"

#include "common/fileio.h"
#include "platform/desktop/modules.h"
#include "platform/desktop/soundoutput.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTimer>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace numbelle::platform {

// The wave file as it was opened: its format and where its samples lie. The
// samples stay in the file (and the system's file cache): each clip is read
// when it is played, so the program holds no copy of the whole file.
struct DesktopSound::Wave {
    int fd = -1; // the file opened, kept: the clips are read from it
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;
    int sampleRate = 0;
    int channels = 0;
    int bytesPerSample = 0;

    Wave() = default;
    Wave(const Wave &) = delete;
    Wave &operator=(const Wave &) = delete;
    ~Wave()
    {
        if (fd >= 0)
            ::close(fd);
    }

    // Bytes at offset of the sample data; false when the file no longer has
    // them all (cut short since it was opened).
    bool read(qint64 offset, qint64 length, QByteArray &out) const
    {
        out.resize(length);
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd, out.data() + done, size_t(length - done), off_t(dataOffset + offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
};

namespace {

using Wave = DesktopSound::Wave;

// Opens a 16-bit PCM wave file and finds its samples; nothing when it is not
// one. Only a regular file is opened: a FIFO in its place would never answer.
std::shared_ptr<const Wave> loadWave(const QString &path)
{
    if (!fileio::isRegularFile(path) || fileio::hasFault(fileio::Fault::Unreadable))
        return nullptr;
    auto wave = std::make_shared<Wave>();
    wave->fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (wave->fd < 0 || fstat(wave->fd, &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    const qint64 size = info.st_size;
    auto readAt = [&](qint64 at, char *into, qint64 length) {
        return ::pread(wave->fd, into, size_t(length), off_t(at)) == length;
    };
    char head[12];
    if (!readAt(0, head, 12) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return nullptr;
    qint64 pos = 12;
    bool haveFormat = false;
    char chunk[8];
    while (pos + 8 <= size && readAt(pos, chunk, 8)) {
        const QByteArrayView id(chunk, 4);
        const quint32 length = qFromLittleEndian<quint32>(chunk + 4);
        const qint64 body = pos + 8;
        if (body + qint64(length) > size && id != "data")
            return nullptr;
        if (id == "fmt " && length >= 16) {
            uchar fmt[16];
            if (!readAt(body, reinterpret_cast<char *>(fmt), 16))
                return nullptr;
            const quint16 format = qFromLittleEndian<quint16>(fmt);
            wave->channels = qFromLittleEndian<quint16>(fmt + 2);
            wave->sampleRate = int(qFromLittleEndian<quint32>(fmt + 4));
            const quint16 bits = qFromLittleEndian<quint16>(fmt + 14);
            if (format != 1 || bits != 16 || wave->channels < 1 || wave->sampleRate <= 0)
                return nullptr;
            wave->bytesPerSample = 2;
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            wave->dataOffset = body;
            wave->dataBytes = qMin<qint64>(length, size - body);
            return wave;
        }
        pos = body + length + (length & 1);
    }
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// The sound thread's side: the output device and the clips handed to it.

class DesktopSound::Worker final : public QObject {
public:
    // Called on the thread that plays when a clip handed over was refused.
    std::function<void()> onRefused;

    // An output for the wave's format, kept while the format stays.
    bool makeOutput(const Wave &wave)
    {
        if (m_output && m_rate == wave.sampleRate && m_channels == wave.channels)
            return true;
        m_output.reset();
        const auto make = reinterpret_cast<MakeSoundOutput>(moduleFunction(kSoundModule, kMakeSoundOutput));
        if (!make)
            return false;
        m_output.reset(make(wave.sampleRate, wave.channels));
        m_rate = wave.sampleRate;
        m_channels = wave.channels;
        return m_output != nullptr;
    }

    void play(const std::shared_ptr<const Wave> &wave, qint64 from, qint64 to)
    {
        if (!wave->read(from, to - from, m_clip) || !makeOutput(*wave) ||
            !m_output->play(m_clip.constData(), m_clip.size())) {
            // The next clip takes the device anew.
            m_output.reset();
            if (onRefused)
                onRefused();
            return;
        }
        // Once the word has sounded the device is let go, so an idle program
        // holds no stream open and wakes for nothing.
        if (!m_idle) {
            m_idle = new QTimer(this);
            m_idle->setSingleShot(true);
            connect(m_idle, &QTimer::timeout, this, [this] { stop(); });
        }
        const qint64 bytesPerSecond = qint64(wave->sampleRate) * wave->channels * wave->bytesPerSample;
        m_idle->start(int(qMin<qint64>((to - from) * 1000 / bytesPerSecond + 500, 24 * 3600 * 1000)));
    }

    void stop()
    {
        if (m_idle)
            m_idle->stop();
        if (m_output)
            m_output->stop();
    }

    // Lets the device go for good; the output must end on the sound thread.
    void finish()
    {
        stop();
        m_output.reset();
    }

private:
    std::unique_ptr<SoundOutput> m_output;
    QByteArray m_clip; // the clip being handed over
    int m_rate = 0;
    int m_channels = 0;
    QTimer *m_idle = nullptr;
};

// ---------------------------------------------------------------------------

// The failure report, read when a refusal arrives, so a report taken away
// (its speaker gone) is never called.
struct DesktopSound::Report {
    QMutex mutex;
    std::function<void()> report;
};

DesktopSound::DesktopSound() : m_home(std::make_unique<QObject>()), m_report(std::make_shared<Report>())
{
    m_thread.setObjectName(QStringLiteral("sound"));
}

DesktopSound::~DesktopSound()
{
    if (m_worker) {
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker] { w->finish(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
        delete m_worker;
    }
}

void DesktopSound::startThread()
{
    if (m_worker)
        return;
    m_worker = new Worker;
    m_worker->moveToThread(&m_thread);
    m_worker->onRefused = [home = m_home.get(), shared = m_report] {
        QMetaObject::invokeMethod(
            home,
            [shared] {
                std::function<void()> report;
                {
                    const QMutexLocker lock(&shared->mutex);
                    report = shared->report;
                }
                if (report)
                    report();
            },
            Qt::QueuedConnection);
    };
    m_thread.start();
}

void DesktopSound::setFailureReport(std::function<void()> report)
{
    const QMutexLocker lock(&m_report->mutex);
    m_report->report = std::move(report);
}

void DesktopSound::prepare(const QString &wavePath)
{
    startThread();
    const std::shared_ptr<const Wave> source = wave(wavePath);
    if (!source)
        return;
    // The device is opened for the file's format on the sound thread.
    auto promise = std::make_shared<std::promise<bool>>();
    m_device = promise->get_future().share();
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, source, promise] { promise->set_value(w->makeOutput(*source)); },
        Qt::QueuedConnection);
}

std::shared_ptr<const DesktopSound::Wave> DesktopSound::wave(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    auto it = m_waves.find(path);
    if (it == m_waves.end()) {
        // Read from where the path points now: the current folder may change.
        auto loaded = loadWave(QFileInfo(path).absoluteFilePath());
        if (!loaded)
            return nullptr;
        it = m_waves.emplace(path, std::move(loaded)).first;
    }
    return it->second;
}

bool DesktopSound::open(const QString &wavePath)
{
    // A file that did not read is tried again at the next open.
    if (!m_device.valid() || !wave(wavePath))
        prepare(wavePath);
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
    const std::shared_ptr<const Wave> source = wave(opened ? m_path : clip.file);
    if (!source)
        return false;
    startThread();
    // The device made ready after start-up, or not there then: tried now.
    if (!m_device.valid() || !m_device.get()) {
        bool made = false;
        QMetaObject::invokeMethod(
            m_worker, [&] { made = m_worker->makeOutput(*source); }, Qt::BlockingQueuedConnection);
        std::promise<bool> now;
        now.set_value(made);
        m_device = now.get_future().share();
        if (!made)
            return false;
    }
    const qint64 frameBytes = qint64(source->channels) * source->bytesPerSample;
    auto toByte = [&](int ms) {
        const qint64 frame = qint64(ms) * source->sampleRate / 1000;
        return qBound<qint64>(0, frame * frameBytes, source->dataBytes);
    };
    const qint64 start = opened ? m_position : 0;
    const qint64 from = clip.hasRange ? toByte(clip.fromMs) : start;
    const qint64 to = clip.hasRange ? toByte(clip.toMs) : source->dataBytes;
    if (to < from)
        return false;
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, source, from, to] { w->play(source, from, to); }, Qt::QueuedConnection);
    if (opened)
        m_position = to;
    return true;
}

void DesktopSound::close()
{
    if (m_worker)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker] { w->stop(); }, Qt::BlockingQueuedConnection);
}

} // namespace numbelle::platform
