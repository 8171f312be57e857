// The sound module: the audio output on Qt Multimedia's audio sink. Each
// clip is pushed to the device whole the moment it is asked for, in a new
// stream that replaces the one before, so a new word cuts the old one at
// once and nothing waits for a timer to pull the data.

#include "platform/desktop/soundoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <memory>

namespace numbelle::platform {

namespace {

// The sound server's buffer for the stream: short, so the first sample
// sounds soon after it is handed over. Every clip is handed over whole, so a
// short buffer cannot run dry in the middle of a word.
constexpr int kBufferMicroseconds = 30000;

class SinkOutput final : public SoundOutput {
public:
    SinkOutput(const QAudioDevice &device, const QAudioFormat &format)
        : m_sink(std::make_unique<QAudioSink>(device, format)),
          m_bufferBytes(format.bytesForDuration(kBufferMicroseconds))
    {
    }

    bool play(const char *pcm, qint64 bytes) override
    {
        m_sink->stop();
        // Qt 6.4 asks the server for the buffer size the server granted the
        // stream before, which shrinks at every start until no word plays any
        // more: the size is set again each time.
        m_sink->setBufferSize(m_bufferBytes);
        QIODevice *device = m_sink->start();
        if (!device || m_sink->error() != QAudio::NoError)
            return false;
        return device->write(pcm, bytes) == bytes;
    }

    void stop() override { m_sink->stop(); }

private:
    std::unique_ptr<QAudioSink> m_sink;
    qsizetype m_bufferBytes;
};

} // namespace

} // namespace numbelle::platform

extern "C" Q_DECL_EXPORT numbelle::platform::SoundOutput *numbelle_make_sound_output(int sampleRate, int channels)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return nullptr;
    return new numbelle::platform::SinkOutput(device, format);
}
