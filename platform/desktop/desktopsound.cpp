// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

// Converts 16-bit PCM from the rate of a sound file to the rate the device
// plays at, so that the sound server has nothing to convert: a windowed-sinc
// filter (four-term Blackman-Harris window, 16 zero crossings of the lower
// rate's sinc on each side, cut off at 95 % of the lower rate's Nyquist
// frequency). Its taps are worked out once for each place an output sample
// can fall between two input samples: exactly for the usual rates (22,050 to
// 48,000 Hz has 320 such places), to 1/1,024 of a sample for any other pair.
class RateConverter {
public:
    RateConverter(int from, int to) : m_from(from), m_to(to)
    {
        const double cutoff = 0.5 * std::min(1.0, double(to) / from) * 0.95; // cycles per input sample
        const double halfWidth = kZeroCrossings / (2 * cutoff);              // in input samples
        m_reach = int(std::ceil(halfWidth));
        m_taps = 2 * m_reach;
        m_places = std::min(to / std::gcd(from, to), kMostPlaces);
        m_table.resize(size_t(m_places + 1) * size_t(m_taps));
        // Along a row the distance to the output sample falls by one input
        // sample from tap to tap: the sines and cosines are turned on by a
        // fixed angle instead of worked out anew for every tap.
        const double sincStep = M_PI * 2 * cutoff, windowStep = M_PI / halfWidth;
        const double cosSincStep = std::cos(sincStep), sinSincStep = std::sin(sincStep);
        const double cosWindowStep = std::cos(windowStep), sinWindowStep = std::sin(windowStep);
        for (int place = 0; place <= m_places; ++place) {
            float *row = &m_table[size_t(place) * size_t(m_taps)];
            // The tap on input sample base + i - (reach - 1) for an output
            // that lies place / places after base is d = first - i from it.
            const double first = double(place) / m_places + (m_reach - 1);
            double sinS = std::sin(sincStep * first), cosS = std::cos(sincStep * first);
            double sinW = std::sin(windowStep * first), cosW = std::cos(windowStep * first);
            double sum = 0;
            for (int i = 0; i < m_taps; ++i) {
                const double d = first - i;
                const double sinc = std::abs(d) < 1e-9 ? 1 : sinS / (sincStep * d);
                // The four-term Blackman-Harris window, its cosines of 2 and 3
                // times the angle from the cosine of the angle.
                const double c1 = cosW, c2 = 2 * c1 * c1 - 1, c3 = (4 * c1 * c1 - 3) * c1;
                const double window =
                    std::abs(d) >= halfWidth ? 0 : 0.35875 + 0.48829 * c1 + 0.14128 * c2 + 0.01168 * c3;
                row[i] = float(sinc * window);
                sum += row[i];
                // One input sample nearer: the angles fall by a step.
                const double nextSinS = sinS * cosSincStep - cosS * sinSincStep;
                cosS = cosS * cosSincStep + sinS * sinSincStep;
                sinS = nextSinS;
                const double nextSinW = sinW * cosWindowStep - cosW * sinWindowStep;
                cosW = cosW * cosWindowStep + sinW * sinWindowStep;
                sinW = nextSinW;
            }
            // Each place passes a constant level unchanged.
            for (int i = 0; i < m_taps; ++i)
                row[i] = float(row[i] / sum);
        }
    }

    int from() const { return m_from; }
    int to() const { return m_to; }

    QByteArray convert(const QByteArray &pcm, int channels) const
    {
        const qint64 inFrames = pcm.size() / (2 * channels);
        const qint64 outFrames = (inFrames * m_to + m_from / 2) / m_from;
        QByteArray out(outFrames * channels * 2, Qt::Uninitialized);
        // One channel at a time, as floats with silence on either side.
        std::vector<float> in(size_t(inFrames + 2 * m_reach), 0.0f);
        for (int c = 0; c < channels; ++c) {
            const auto *from = reinterpret_cast<const uchar *>(pcm.constData()) + 2 * c;
            for (qint64 i = 0; i < inFrames; ++i)
                in[size_t(m_reach + i)] = float(qFromLittleEndian<qint16>(from + 2 * channels * i));
            auto *dest = reinterpret_cast<uchar *>(out.data()) + 2 * c;
            // Output sample j lies at j * from / to input samples: after
            // input sample base, by step / steps of a sample (steps = to /
            // gcd(from, to)), counted on from one output sample to the next.
            const qint64 steps = m_to / std::gcd(m_from, m_to), stride = m_from / std::gcd(m_from, m_to);
            qint64 base = 0, step = 0;
            for (qint64 j = 0; j < outFrames; ++j) {
                const qint64 place = steps == m_places ? step : (step * m_places + steps / 2) / steps;
                const float *taps = &m_table[size_t(place) * size_t(m_taps)];
                const float *x = &in[size_t(base + 1)]; // input sample base - (reach - 1)
                // Four sums side by side, so that no addition waits for the
                // one before.
                float sum0 = 0, sum1 = 0, sum2 = 0, sum3 = 0;
                int i = 0;
                for (; i + 4 <= m_taps; i += 4) {
                    sum0 += taps[i] * x[i];
                    sum1 += taps[i + 1] * x[i + 1];
                    sum2 += taps[i + 2] * x[i + 2];
                    sum3 += taps[i + 3] * x[i + 3];
                }
                for (; i < m_taps; ++i)
                    sum0 += taps[i] * x[i];
                const float total = std::clamp((sum0 + sum1) + (sum2 + sum3), -32768.0f, 32767.0f);
                const auto value = qint16(total < 0 ? total - 0.5f : total + 0.5f);
                qToLittleEndian(value, dest + 2 * channels * j);
                for (step += stride; step >= steps; step -= steps)
                    ++base;
            }
        }
        return out;
    }

private:
    static constexpr int kZeroCrossings = 16;
    static constexpr int kMostPlaces = 1024;

    int m_from;
    int m_to;
    int m_reach = 0;  // input samples on either side of an output sample
    int m_taps = 0;   // 2 * m_reach
    int m_places = 0; // places between two input samples with taps of their own
    std::vector<float> m_table;
};

} // namespace

// ---------------------------------------------------------------------------
// The sound thread's side: the output device and the clips handed to it.

// The word a key handed over, waiting for the sound thread. A newer word
// takes the place of one still waiting: under a flood of keys the sound
// thread plays the latest, and no word piles up behind it.
struct DesktopSound::Next {
    QMutex mutex;
    std::shared_ptr<const Wave> wave; // none when nothing waits
    qint64 from = 0;
    qint64 to = 0;
};

class DesktopSound::Worker final : public QObject {
public:
    // Called on the thread that plays when a clip handed over was refused.
    std::function<void()> onRefused;

    // An output for the wave's channels, kept while they stay.
    bool makeOutput(const Wave &wave)
    {
        if (m_output && m_channels == wave.channels)
            return true;
        m_output.reset();
        const auto make = reinterpret_cast<MakeSoundOutput>(moduleFunction(kSoundModule, kMakeSoundOutput));
        if (!make)
            return false;
        m_output.reset(make(wave.sampleRate, wave.channels));
        m_channels = wave.channels;
        if (!m_output)
            return false;
        // The converter's taps are worked out now, while the device is made
        // ready, not when the first key speaks.
        convertsTo(wave.sampleRate, m_output->sampleRate());
        return true;
    }

    // Plays the word waiting, if one still does.
    void playNext(Next &next)
    {
        std::shared_ptr<const Wave> wave;
        qint64 from = 0, to = 0;
        {
            const QMutexLocker lock(&next.mutex);
            wave = std::exchange(next.wave, nullptr);
            from = next.from;
            to = next.to;
        }
        if (wave)
            play(wave, from, to);
    }

    void play(const std::shared_ptr<const Wave> &wave, qint64 from, qint64 to)
    {
        const QByteArray *word = makeOutput(*wave) ? clip(wave, from, to) : nullptr;
        if (!word || !m_output->play(word->constData(), word->size())) {
            // The next clip takes the device anew.
            m_output.reset();
            if (onRefused)
                onRefused();
            return;
        }
        // Once the word has sounded the device is let go, so an idle program
        // holds no stream open and neither it nor the sound server wakes for
        // nothing; words that follow each other closer than that keep it.
        if (!m_idle) {
            m_idle = new QTimer(this);
            m_idle->setSingleShot(true);
            connect(m_idle, &QTimer::timeout, this, [this] { stop(); });
        }
        const qint64 bytesPerSecond = qint64(wave->sampleRate) * wave->channels * wave->bytesPerSample;
        m_idle->start(int(qMin<qint64>((to - from) * 1000 / bytesPerSecond + m_output->keepMs(), 24 * 3600 * 1000)));
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
    // The samples of a clip at the output's rate: read from the file and,
    // where the file has another rate, converted (about 0.2 ms for a word on
    // this thread). Only the clip played last is kept converted, for a key
    // held or struck again: converted copies of every word kept would add
    // their megabyte or so to the program's memory for good. Nothing when
    // the file no longer has the samples.
    const QByteArray *clip(const std::shared_ptr<const Wave> &wave, qint64 from, qint64 to)
    {
        const int rate = m_output->sampleRate();
        const bool convert = rate != wave->sampleRate && rate > 0;
        if (convert) {
            convertsTo(wave->sampleRate, rate);
            if (m_convertedWave == wave && m_convertedFrom == from && m_convertedTo == to)
                return &m_converted;
        }
        if (!wave->read(from, to - from, m_clip))
            return nullptr;
        if (!convert)
            return &m_clip;
        m_converted = m_converter->convert(m_clip, wave->channels);
        m_convertedWave = wave;
        m_convertedFrom = from;
        m_convertedTo = to;
        return &m_converted;
    }

    // A converter between the two rates (none where they are the same).
    void convertsTo(int from, int to)
    {
        if (from == to || to <= 0 || (m_converter && m_converter->from() == from && m_converter->to() == to))
            return;
        m_converter = std::make_unique<RateConverter>(from, to);
        m_convertedWave.reset();
    }

    std::unique_ptr<SoundOutput> m_output;
    QByteArray m_clip; // the clip being handed over, as the file has it
    int m_channels = 0;
    std::unique_ptr<RateConverter> m_converter;
    QByteArray m_converted; // the clip played last, at the output's rate
    std::shared_ptr<const Wave> m_convertedWave;
    qint64 m_convertedFrom = 0;
    qint64 m_convertedTo = 0;
    QTimer *m_idle = nullptr;
};

// ---------------------------------------------------------------------------

// The failure report, read when a refusal arrives, so a report taken away
// (its speaker gone) is never called.
struct DesktopSound::Report {
    QMutex mutex;
    std::function<void()> report;
};

DesktopSound::DesktopSound()
    : m_home(std::make_unique<QObject>()), m_report(std::make_shared<Report>()), m_next(std::make_shared<Next>())
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
    bool wake = false;
    {
        const QMutexLocker lock(&m_next->mutex);
        wake = !m_next->wave;
        m_next->wave = source;
        m_next->from = from;
        m_next->to = to;
    }
    // One call on the sound thread for any number of words handed over
    // before it came to take them: it plays the last.
    if (wake)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker, next = m_next] { w->playNext(*next); }, Qt::QueuedConnection);
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
