// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop microphone: the default input of the sound server, through the
// sound module (soundinput.h), loaded at the first recording.

#include "platform/platform.h"

#include <memory>

namespace numbelle::platform {

class SoundInputStream;

class DesktopSoundInput final : public SoundInput {
public:
    DesktopSoundInput();
    ~DesktopSoundInput() override;

    bool start() override;
    std::optional<std::vector<qint16>> take() override;
    void stop() override;

private:
    std::unique_ptr<SoundInputStream> m_stream;
};

} // namespace numbelle::platform
