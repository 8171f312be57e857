// SPDX-License-Identifier: GPL-3.0-or-later
// The sound module, on the PulseAudio client library (PulseAudio itself or
// PipeWire's Pulse server; Qt Multimedia plays through the same server on
// Linux, at several times the cost to load and with a new stream for every
// word). One stream stays open while words follow each other: a new word
// drops what still sounds of the one before (a flush) and is written whole
// in the same moment, without waiting for the server to answer. After a
// pause the sound thread lets the stream go (stop) and the next word opens a
// new one.
//
// The stream runs at the rate of the server's default sink (the sound thread
// converts each clip to it), so the server has no resampling to do for any
// word. Until the server has answered the flush that came with a word,
// the next word waits here instead of being sent: under a flood of keys the
// server is handed one word for each answer, the latest, and nothing piles
// up in the client library's memory or the server's queue.

#include "platform/desktop/pulseclient.h"
#include "platform/desktop/soundoutput.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <pulse/pulseaudio.h>
#include <vector>

namespace numbelle::platform {

namespace {

// The stream's buffer, which sets the latency the server runs its sink with
// (a quarter of it) and so how often the server wakes while a word sounds or
// the stream runs dry. PulseAudio does not make a new word wait for the
// sink's buffer: it rewinds the sink and the word starts at once (a sink that
// cannot be rewound keeps a latency of its own whatever the stream asks).
// PipeWire's Pulse server does not rewind, and a new word starts only once
// the buffer it runs with has played: there the buffer stays short. Every
// word is written whole, so the buffer cannot run dry in the middle of a
// word.
constexpr pa_usec_t kBufferMicroseconds = 2000000;
constexpr pa_usec_t kUnrewoundBufferMicroseconds = 30000;
// How long the stream is kept after a word. With the long buffer a stream
// running dry costs the server two wake-ups a second, less than a new
// stream for a key typed within the second; with the short one it costs
// more, and the stream goes sooner.
constexpr int kKeepMs = 1000;
constexpr int kUnrewoundKeepMs = 200;
// The rates the stream takes from the server's sink; anything else is taken
// for a wrong answer.
constexpr uint32_t kLowestRate = 8000;
constexpr uint32_t kHighestRate = 384000;

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
        if (!out->m_client.connect())
            return nullptr;
        out->m_client.lock();
        out->learnServer();
        out->m_client.unlock();
        return out.release();
    }

    ~PulseOutput() override
    {
        if (!m_client.loop())
            return;
        m_client.lock();
        closeStream();
        m_client.unlock();
    }

    int sampleRate() const override { return int(m_spec.rate); }

    int keepMs() const override
    {
        return m_bufferMicroseconds == kUnrewoundBufferMicroseconds ? kUnrewoundKeepMs : kKeepMs;
    }

    bool play(const char *pcm, qint64 bytes) override
    {
        m_client.lock();
        bool ok = true;
        if (m_stream && m_flush && pa_operation_get_state(m_flush) == PA_OPERATION_RUNNING &&
            pa_stream_get_state(m_stream) == PA_STREAM_READY) {
            // The server has not yet taken the word before: this one waits
            // (in place of any other waiting) and goes when it has.
            m_waiting.assign(pcm, pcm + bytes);
            m_hasWaiting = true;
        } else {
            ok = send(pcm, bytes);
        }
        m_client.unlock();
        return ok;
    }

    void stop() override
    {
        m_client.lock();
        closeStream();
        m_client.unlock();
    }

private:
    PulseOutput() = default;

    // With the loop locked: the word to the server, after a flush of what
    // still sounds, or on a new stream.
    bool send(const char *pcm, qint64 bytes)
    {
        m_hasWaiting = false;
        releaseFlush();
        if (m_stream && pa_stream_get_state(m_stream) != PA_STREAM_READY)
            closeStream();
        if (!m_stream) {
            if (pa_context_get_state(m_client.context()) != PA_CONTEXT_READY || !openStream())
                return false;
        } else {
            // What still sounds of the last word goes at once; the answer
            // tells that the server has taken the word before this one.
            m_flush = pa_stream_flush(m_stream, flushed, this);
        }
        // The stream never waits to fill a prebuffer (see openStream): the
        // word plays as soon as it is there, however short.
        return bytes <= 0 || pa_stream_write(m_stream, pcm, size_t(bytes), nullptr, 0, PA_SEEK_RELATIVE) == 0;
    }

    // On the loop's thread, locked: the server has taken everything sent
    // before the flush. A word that waited goes now; a refusal shows with the
    // next word, which finds the stream gone and opens a new one.
    static void flushed(pa_stream *, int, void *self)
    {
        auto *out = static_cast<PulseOutput *>(self);
        if (!out->m_hasWaiting)
            return;
        std::vector<char> word;
        word.swap(out->m_waiting);
        out->send(word.data(), qint64(word.size()));
        word.swap(out->m_waiting); // keeps its room for the next one
    }

    // With the loop locked.
    void releaseFlush()
    {
        if (m_flush)
            pa_operation_unref(m_flush);
        m_flush = nullptr;
    }

    // With the loop locked: the rate of the server's default sink, which the
    // stream takes, and the buffer the server wants (see
    // kBufferMicroseconds). What the server does not answer in time stays as
    // it was.
    void learnServer()
    {
        struct Answers {
            pa_threaded_mainloop *loop;
            uint32_t rate = 0;
            bool rateDone = false;
            bool pipeWire = false;
            bool serverDone = false;
        } answers{m_client.loop()};
        pa_operation *sink = pa_context_get_sink_info_by_name(
            m_client.context(), "@DEFAULT_SINK@",
            [](pa_context *, const pa_sink_info *info, int last, void *data) {
                auto *a = static_cast<Answers *>(data);
                if (info && last == 0)
                    a->rate = info->sample_spec.rate;
                else
                    a->rateDone = true;
                PulseClient::signal(a->loop);
            },
            &answers);
        pa_operation *server = pa_context_get_server_info(
            m_client.context(),
            [](pa_context *, const pa_server_info *info, void *data) {
                auto *a = static_cast<Answers *>(data);
                a->pipeWire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
                a->serverDone = true;
                PulseClient::signal(a->loop);
            },
            &answers);
        m_client.waitFor([&] { return (!sink || answers.rateDone) && (!server || answers.serverDone); });
        // Unanswered: the answer must not come to this frame later.
        for (pa_operation *query : {sink, server}) {
            if (!query)
                continue;
            if (pa_operation_get_state(query) == PA_OPERATION_RUNNING)
                pa_operation_cancel(query);
            pa_operation_unref(query);
        }
        if (answers.rateDone && answers.rate >= kLowestRate && answers.rate <= kHighestRate)
            m_spec.rate = answers.rate;
        if (answers.serverDone && answers.pipeWire)
            m_bufferMicroseconds = kUnrewoundBufferMicroseconds;
    }

    // With the loop locked.
    bool openStream()
    {
        m_stream = pa_stream_new(m_client.context(), "Numbelle", &m_spec, nullptr);
        if (!m_stream)
            return false;
        pa_stream_set_state_callback(
            m_stream, [](pa_stream *, void *loop) { PulseClient::signal(loop); }, m_client.loop());
        pa_buffer_attr buffer;
        buffer.maxlength = uint32_t(-1);
        buffer.tlength = uint32_t(pa_usec_to_bytes(m_bufferMicroseconds, &m_spec));
        // No prebuffer: a word plays as soon as it is written, and the
        // stream does not stop when one has ended (so nothing needs
        // starting after the next).
        buffer.prebuf = 0;
        buffer.minreq = uint32_t(-1);
        buffer.fragsize = uint32_t(-1);
        const bool ready =
            pa_stream_connect_playback(m_stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) == 0 &&
            m_client.waitFor([&] {
                const pa_stream_state_t state = pa_stream_get_state(m_stream);
                return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
            }) &&
            pa_stream_get_state(m_stream) == PA_STREAM_READY;
        if (!ready)
            closeStream();
        return ready;
    }

    // With the loop locked. A word waiting goes with the stream.
    void closeStream()
    {
        m_hasWaiting = false;
        releaseFlush();
        if (!m_stream)
            return;
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }

    pa_sample_spec m_spec{};
    pa_usec_t m_bufferMicroseconds = kBufferMicroseconds;
    PulseClient m_client;
    pa_stream *m_stream = nullptr;
    pa_operation *m_flush = nullptr; // the flush sent with the last word, until a word goes after it
    std::vector<char> m_waiting;     // the word waiting for the server's answer to m_flush
    bool m_hasWaiting = false;
};

} // namespace

} // namespace numbelle::platform

extern "C" Q_DECL_EXPORT numbelle::platform::SoundOutput *numbelle_make_sound_output_kept(int sampleRate, int channels)
{
    return numbelle::platform::PulseOutput::make(sampleRate, channels);
}
