// The sound module, on the PulseAudio client library (PulseAudio itself or
// PipeWire's Pulse server; Qt Multimedia plays through the same server on
// Linux, at several times the cost to load and with a new stream for every
// word). One stream stays open while words follow each other: a new word
// drops what still sounds of the one before (a flush) and is written whole
// in the same moment, without waiting for the server to answer. After a
// pause the sound thread lets the stream go (stop) and the next word opens a
// new one.

#include "platform/desktop/soundoutput.h"

#include <functional>
#include <memory>
#include <pulse/pulseaudio.h>

namespace numbelle::platform {

namespace {

// The stream's buffer: short, so the sound server runs its sink with a short
// latency. Every word is written whole, so a short buffer cannot run dry in
// the middle of a word.
constexpr pa_usec_t kBufferMicroseconds = 30000;
// A sound server that does not answer within this time counts as none.
constexpr pa_usec_t kAnswerMicroseconds = 2000000;

void signalLoop(void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); }

class PulseOutput final : public SoundOutput {
public:
    static PulseOutput *make(int sampleRate, int channels)
    {
        std::unique_ptr<PulseOutput> out(new PulseOutput);
        out->m_spec.format = PA_SAMPLE_S16LE;
        out->m_spec.rate = uint32_t(sampleRate);
        out->m_spec.channels = uint8_t(channels);
        if (sampleRate <= 0 || channels <= 0 || channels > int(PA_CHANNELS_MAX) || !pa_sample_spec_valid(&out->m_spec))
            return nullptr;
        out->m_loop = pa_threaded_mainloop_new();
        if (!out->m_loop)
            return nullptr;
        pa_proplist *properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Numbelle");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "numbelle");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "numbelle");
        out->m_context =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(out->m_loop), "Numbelle", properties);
        pa_proplist_free(properties);
        if (!out->m_context)
            return nullptr;
        pa_context_set_state_callback(
            out->m_context, [](pa_context *, void *loop) { signalLoop(loop); }, out->m_loop);
        if (pa_context_connect(out->m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return nullptr;
        pa_threaded_mainloop_lock(out->m_loop);
        bool ready = pa_threaded_mainloop_start(out->m_loop) == 0;
        if (ready) {
            ready = out->waitFor([&] {
                return !PA_CONTEXT_IS_GOOD(pa_context_get_state(out->m_context)) ||
                       pa_context_get_state(out->m_context) == PA_CONTEXT_READY;
            }) && pa_context_get_state(out->m_context) == PA_CONTEXT_READY;
        }
        pa_threaded_mainloop_unlock(out->m_loop);
        return ready ? out.release() : nullptr;
    }

    ~PulseOutput() override
    {
        if (m_loop) {
            pa_threaded_mainloop_lock(m_loop);
            closeStream();
            if (m_context)
                pa_context_disconnect(m_context);
            pa_threaded_mainloop_unlock(m_loop);
            pa_threaded_mainloop_stop(m_loop);
        }
        if (m_context)
            pa_context_unref(m_context);
        if (m_loop)
            pa_threaded_mainloop_free(m_loop);
    }

    bool play(const char *pcm, qint64 bytes) override
    {
        pa_threaded_mainloop_lock(m_loop);
        if (m_stream && pa_stream_get_state(m_stream) != PA_STREAM_READY)
            closeStream();
        bool ok = true;
        if (!m_stream) {
            ok = pa_context_get_state(m_context) == PA_CONTEXT_READY && openStream();
        } else if (pa_operation *flush = pa_stream_flush(m_stream, nullptr, nullptr)) {
            // What still sounds of the last word goes at once.
            pa_operation_unref(flush);
        }
        if (ok && bytes > 0) {
            ok = pa_stream_write(m_stream, pcm, size_t(bytes), nullptr, 0, PA_SEEK_RELATIVE) == 0;
            // Playing starts now, also for a word shorter than the server's
            // prebuffer.
            if (ok) {
                if (pa_operation *trigger = pa_stream_trigger(m_stream, nullptr, nullptr))
                    pa_operation_unref(trigger);
            }
        }
        pa_threaded_mainloop_unlock(m_loop);
        return ok;
    }

    void stop() override
    {
        pa_threaded_mainloop_lock(m_loop);
        closeStream();
        pa_threaded_mainloop_unlock(m_loop);
    }

private:
    PulseOutput() = default;

    // With the loop locked: waits for the server until done holds, or no
    // longer than the server is given to answer.
    bool waitFor(const std::function<bool()> &done)
    {
        struct Wake {
            pa_threaded_mainloop *loop;
            bool expired = false;
        } wake{m_loop};
        pa_time_event *timer = pa_context_rttime_new(
            m_context, pa_rtclock_now() + kAnswerMicroseconds,
            [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *data) {
                auto *w = static_cast<Wake *>(data);
                w->expired = true;
                signalLoop(w->loop);
            },
            &wake);
        while (!done() && !wake.expired)
            pa_threaded_mainloop_wait(m_loop);
        if (timer)
            pa_threaded_mainloop_get_api(m_loop)->time_free(timer);
        return done();
    }

    // With the loop locked.
    bool openStream()
    {
        m_stream = pa_stream_new(m_context, "Numbelle", &m_spec, nullptr);
        if (!m_stream)
            return false;
        pa_stream_set_state_callback(
            m_stream, [](pa_stream *, void *loop) { signalLoop(loop); }, m_loop);
        pa_buffer_attr buffer;
        buffer.maxlength = uint32_t(-1);
        buffer.tlength = uint32_t(pa_usec_to_bytes(kBufferMicroseconds, &m_spec));
        buffer.prebuf = uint32_t(-1);
        buffer.minreq = uint32_t(-1);
        buffer.fragsize = uint32_t(-1);
        const bool ready =
            pa_stream_connect_playback(m_stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) == 0 &&
            waitFor([&] {
                const pa_stream_state_t state = pa_stream_get_state(m_stream);
                return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
            }) &&
            pa_stream_get_state(m_stream) == PA_STREAM_READY;
        if (!ready)
            closeStream();
        return ready;
    }

    // With the loop locked.
    void closeStream()
    {
        if (!m_stream)
            return;
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }

    pa_sample_spec m_spec{};
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
};

} // namespace

} // namespace numbelle::platform

extern "C" Q_DECL_EXPORT numbelle::platform::SoundOutput *numbelle_make_sound_output(int sampleRate, int channels)
{
    return numbelle::platform::PulseOutput::make(sampleRate, channels);
}
