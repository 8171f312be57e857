// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop sound: a clip is a slice of a wave file, read from the file
// when it is played and played on the default audio device; a new clip cuts
// the one sounding, and a clip replaced before the sound thread took it is
// never played. Where the device plays at another rate than the file's, each
// clip is converted to the device's rate as it is played, so the sound
// server converts nothing. Several files can be played from (the sound file
// and the second one of the extra words); only their headers are read at
// open. The device lives on a thread of its own, the sound thread, which
// also loads the sound module (see soundoutput.h) and reads each clip: a key
// hands its word over and goes on to paint the display without waiting for
// the sound server, and prepare() gets the device ready right after start-up
// without holding the window up.

#include "platform/platform.h"

#include <QString>
#include <QThread>
#include <functional>
#include <future>
#include <map>
#include <memory>

namespace numbelle::platform {

class DesktopSound final : public Sound {
public:
    DesktopSound();
    ~DesktopSound() override;

    bool open(const QString &wavePath) override;
    // Hands the clip to the sound thread and returns at once. False at once
    // when its file does not read, the range is bad or there is no device; a
    // device that refuses the clip afterwards is reported through the
    // failure report.
    bool play(const Clip &clip) override;
    void close() override;
    void setFailureReport(std::function<void()> report) override;
    // The next clip from the file reads it anew (a word recorded again).
    void forget(const QString &file) override { m_waves.erase(file); }

    // Starts opening the device for the wave file on the sound thread and
    // returns at once; the first play waits for it when it comes first.
    void prepare(const QString &wavePath);

    struct Wave;
    struct Next;
    class Worker;

private:
    struct Report;
    void startThread();
    // The file at path, read when first asked for and kept from then on;
    // nothing when it cannot be read (it is tried again the next time).
    std::shared_ptr<const Wave> wave(const QString &path);

    QThread m_thread;
    Worker *m_worker = nullptr;                             // lives on m_thread
    std::map<QString, std::shared_ptr<const Wave>> m_waves; // every file read so far, by path
    QString m_path;                                         // the file opened
    qint64 m_position = 0;                                  // byte position in it where the last clip ended
    std::shared_future<bool> m_device;                      // whether the sound thread has a device
    std::unique_ptr<QObject> m_home;                        // on the thread that plays: failure reports come here
    std::shared_ptr<Report> m_report;
    std::shared_ptr<Next> m_next; // the word handed over that the sound thread has not taken yet
};

} // namespace numbelle::platform
