// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/pulseclient.h"

namespace numbelle::platform {

namespace {

// A sound server that does not answer within this time counts as none.
constexpr pa_usec_t kAnswerMicroseconds = 2000000;

} // namespace

PulseClient::~PulseClient()
{
    if (m_loop) {
        lock();
        if (m_context)
            pa_context_disconnect(m_context);
        unlock();
        pa_threaded_mainloop_stop(m_loop);
    }
    if (m_context)
        pa_context_unref(m_context);
    if (m_loop)
        pa_threaded_mainloop_free(m_loop);
}

bool PulseClient::connect()
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return false;
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Numbelle");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "numbelle");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "numbelle");
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "Numbelle", properties);
    pa_proplist_free(properties);
    if (!m_context)
        return false;
    pa_context_set_state_callback(
        m_context, [](pa_context *, void *loop) { signal(loop); }, m_loop);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
        return false;
    lock();
    bool ready = pa_threaded_mainloop_start(m_loop) == 0;
    if (ready) {
        ready = waitFor([this] {
                    const pa_context_state_t state = pa_context_get_state(m_context);
                    return !PA_CONTEXT_IS_GOOD(state) || state == PA_CONTEXT_READY;
                }) &&
                pa_context_get_state(m_context) == PA_CONTEXT_READY;
    }
    unlock();
    return ready;
}

bool PulseClient::waitFor(const std::function<bool()> &done)
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
            signal(w->loop);
        },
        &wake);
    while (!done() && !wake.expired)
        pa_threaded_mainloop_wait(m_loop);
    if (timer)
        pa_threaded_mainloop_get_api(m_loop)->time_free(timer);
    return done();
}

} // namespace numbelle::platform
