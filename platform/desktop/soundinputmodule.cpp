// SPDX-License-Identifier: GPL-3.0-or-later
// The sound input of the sound module, on the PulseAudio client library
// (PulseAudio or PipeWire's Pulse server): a record stream from the default
// source, in the format asked for (the server converts from the source's
// own). What comes in is kept until it is taken, at most a minute of it.

#include "platform/desktop/pulseclient.h"
#include "platform/desktop/soundinput.h"

#include <memory>
#include <mutex>
#include <pulse/pulseaudio.h>

namespace numbelle::platform {

namespace {

// The server hands the samples over in pieces of about this length.
constexpr pa_usec_t kFragmentMicroseconds = 50000;
constexpr int kMostSeconds = 60;

class PulseInput final : public SoundInputStream {
public:
    static PulseInput *make(int sampleRate)
    {
        std::unique_ptr<PulseInput> in(new PulseInput);
        in->m_spec.format = PA_SAMPLE_S16LE;
        in->m_spec.rate = uint32_t(sampleRate);
        in->m_spec.channels = 1;
        if (sampleRate <= 0 || !pa_sample_spec_valid(&in->m_spec))
            return nullptr;
        if (!in->m_client.connect())
            return nullptr;
        in->m_client.lock();
        const bool ready = in->openStream();
        in->m_client.unlock();
        return ready ? in.release() : nullptr;
    }

    ~PulseInput() override
    {
        if (!m_stream)
            return;
        m_client.lock();
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_client.unlock();
    }

    bool take(std::vector<qint16> &samples) override
    {
        samples.clear();
        m_client.lock();
        samples.swap(m_samples);
        const bool ok = pa_stream_get_state(m_stream) == PA_STREAM_READY;
        m_client.unlock();
        return ok;
    }

private:
    PulseInput() = default;

    // With the loop locked.
    bool openStream()
    {
        m_stream = pa_stream_new(m_client.context(), "Numbelle recording", &m_spec, nullptr);
        if (!m_stream)
            return false;
        pa_stream_set_state_callback(
            m_stream, [](pa_stream *, void *loop) { PulseClient::signal(loop); }, m_client.loop());
        pa_stream_set_read_callback(m_stream, &PulseInput::readable, this);
        pa_buffer_attr buffer;
        buffer.maxlength = uint32_t(-1);
        buffer.tlength = uint32_t(-1);
        buffer.prebuf = uint32_t(-1);
        buffer.minreq = uint32_t(-1);
        buffer.fragsize = uint32_t(pa_usec_to_bytes(kFragmentMicroseconds, &m_spec));
        return pa_stream_connect_record(m_stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY) == 0 &&
               m_client.waitFor([&] {
                   const pa_stream_state_t state = pa_stream_get_state(m_stream);
                   return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
               }) &&
               pa_stream_get_state(m_stream) == PA_STREAM_READY;
    }

    // On the loop's thread, locked: keeps what came in.
    static void readable(pa_stream *stream, size_t, void *self)
    {
        auto *in = static_cast<PulseInput *>(self);
        const size_t most = size_t(kMostSeconds) * in->m_spec.rate;
        const void *data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
            if (bytes == 0)
                break;
            const size_t count = bytes / 2;
            if (in->m_samples.size() + count <= most) {
                if (data) {
                    const auto *from = static_cast<const uchar *>(data);
                    for (size_t i = 0; i < count; ++i)
                        in->m_samples.push_back(qint16(quint16(from[2 * i] | (from[2 * i + 1] << 8))));
                } else {
                    in->m_samples.insert(in->m_samples.end(), count, 0); // a hole: silence
                }
            }
            pa_stream_drop(stream);
        }
    }

    pa_sample_spec m_spec{};
    PulseClient m_client;
    pa_stream *m_stream = nullptr;
    std::vector<qint16> m_samples; // what came in and was not taken yet
};

} // namespace

} // namespace numbelle::platform

extern "C" Q_DECL_EXPORT numbelle::platform::SoundInputStream *numbelle_make_sound_input(int sampleRate)
{
    return numbelle::platform::PulseInput::make(sampleRate);
}
