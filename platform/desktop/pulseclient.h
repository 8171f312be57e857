// SPDX-License-Identifier: GPL-3.0-or-later
// A connection to the sound server on a loop thread of its own, as the sound
// module's output and input both keep one (PulseAudio's client library).
#pragma once

#include <functional>
#include <pulse/pulseaudio.h>

namespace numbelle::platform {

class PulseClient {
public:
    PulseClient() = default;
    // Streams are closed before (by their owner): the context disconnects,
    // the loop stops and both are freed.
    ~PulseClient();
    PulseClient(const PulseClient &) = delete;
    PulseClient &operator=(const PulseClient &) = delete;

    // Starts the loop and connects to the default server, waiting no longer
    // than the server is given to answer. False: no server to speak to.
    bool connect();

    pa_threaded_mainloop *loop() const { return m_loop; }
    pa_context *context() const { return m_context; }
    void lock() { pa_threaded_mainloop_lock(m_loop); }
    void unlock() { pa_threaded_mainloop_unlock(m_loop); }

    // With the loop locked: waits for the server until done holds, or no
    // longer than the server is given to answer.
    bool waitFor(const std::function<bool()> &done);

    // A callback's way to wake whoever waits in waitFor (data: the loop).
    static void signal(void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); }

private:
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
};

} // namespace numbelle::platform
