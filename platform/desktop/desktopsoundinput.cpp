// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopsoundinput.h"

#include "common/wavefile.h"
#include "platform/desktop/modules.h"
#include "platform/desktop/soundinput.h"
#include "platform/desktop/soundoutput.h"

namespace numbelle::platform {

DesktopSoundInput::DesktopSoundInput() = default;

DesktopSoundInput::~DesktopSoundInput() = default;

bool DesktopSoundInput::start()
{
    stop();
    const auto make = reinterpret_cast<MakeSoundInput>(moduleFunction(kSoundModule, kMakeSoundInput));
    if (!make)
        return false;
    m_stream.reset(make(kWaveRate));
    return m_stream != nullptr;
}

std::optional<std::vector<qint16>> DesktopSoundInput::take()
{
    std::vector<qint16> samples;
    if (!m_stream || !m_stream->take(samples))
        return std::nullopt;
    return samples;
}

void DesktopSoundInput::stop() { m_stream.reset(); }

} // namespace numbelle::platform
