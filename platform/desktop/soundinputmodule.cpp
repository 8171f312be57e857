// SPDX-License-Identifier: GPL-3.0-or-later
// The sound input of the sound module, on the PulseAudio client library
// (PulseAudio or PipeWire's Pulse server): a record stream from the default
// source, in the format asked for (the server converts from the source's
// own). What comes in is kept until it is taken, at most a minute of it.

#include "platform/desktop/soundinput.h"

#include <functional>
#include <memory>
#include <mutex>
#include <pulse/pulseaudio.h>

namespace numbelle::platform {

namespace {

// A sound server that does not answer within this time counts as none.
constexpr pa_usec_t kAnswerMicroseconds = 2000000;
// The server hands the samples over in pieces of about this length.
constexpr pa_usec_t kFragmentMicroseconds = 50000;
constexpr int kMostSeconds = 60;

void signalLoop(void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); }

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
        in->m_loop = pa_threaded_mainloop_new();
        if (!in->m_loop)
            return nullptr;
        pa_proplist *properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Numbelle");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "numbelle");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "numbelle");
        in->m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(in->m_loop), "Numbelle", properties);
        pa_proplist_free(properties);
        if (!in->m_context)
            return nullptr;
        pa_context_set_state_callback(
            in->m_context, [](pa_context *, void *loop) { signalLoop(loop); }, in->m_loop);
        if (pa_context_connect(in->m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return nullptr;
        pa_threaded_mainloop_lock(in->m_loop);
        bool ready = pa_threaded_mainloop_start(in->m_loop) == 0;
        if (ready) {
            ready = in->waitFor([&] {
                const pa_context_state_t state = pa_context_get_state(in->m_context);
                return !PA_CONTEXT_IS_GOOD(state) || state == PA_CONTEXT_READY;
            }) && pa_context_get_state(in->m_context) == PA_CONTEXT_READY;
        }
        ready = ready && in->openStream();
        pa_threaded_mainloop_unlock(in->m_loop);
        return ready ? in.release() : nullptr;
    }

    ~PulseInput() override
    {
        if (m_loop) {
            pa_threaded_mainloop_lock(m_loop);
            if (m_stream) {
                pa_stream_set_state_callback(m_stream, nullptr, nullptr);
                pa_stream_set_read_callback(m_stream, nullptr, nullptr);
                pa_stream_disconnect(m_stream);
                pa_stream_unref(m_stream);
            }
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

    bool take(std::vector<qint16> &samples) override
    {
        samples.clear();
        pa_threaded_mainloop_lock(m_loop);
        samples.swap(m_samples);
        const bool ok = pa_stream_get_state(m_stream) == PA_STREAM_READY;
        pa_threaded_mainloop_unlock(m_loop);
        return ok;
    }

private:
    PulseInput() = default;

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
        m_stream = pa_stream_new(m_context, "Numbelle recording", &m_spec, nullptr);
        if (!m_stream)
            return false;
        pa_stream_set_state_callback(
            m_stream, [](pa_stream *, void *loop) { signalLoop(loop); }, m_loop);
        pa_stream_set_read_callback(m_stream, &PulseInput::readable, this);
        pa_buffer_attr buffer;
        buffer.maxlength = uint32_t(-1);
        buffer.tlength = uint32_t(-1);
        buffer.prebuf = uint32_t(-1);
        buffer.minreq = uint32_t(-1);
        buffer.fragsize = uint32_t(pa_usec_to_bytes(kFragmentMicroseconds, &m_spec));
        return pa_stream_connect_record(m_stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY) == 0 && waitFor([&] {
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
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    std::vector<qint16> m_samples; // what came in and was not taken yet
};

} // namespace

} // namespace numbelle::platform

extern "C" Q_DECL_EXPORT numbelle::platform::SoundInputStream *numbelle_make_sound_input(int sampleRate)
{
    return numbelle::platform::PulseInput::make(sampleRate);
}
