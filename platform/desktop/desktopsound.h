#pragma once
// The desktop sound: a clip is a slice of the wave file, read from it when it
// is played and played on the default audio device; a new clip cuts the one
// sounding. The device lives on a thread of its own, the sound thread, which
// also loads the sound module (see soundoutput.h) and reads the
// wave file: a key hands its word over and goes on to paint the display
// without waiting for the sound server, and prepare() gets everything ready
// right after start-up without holding the window up.

#include "platform/platform.h"

#include <QString>
#include <QThread>
#include <functional>
#include <future>
#include <memory>

namespace numbelle::platform {

class DesktopSound final : public Sound {
public:
    DesktopSound();
    ~DesktopSound() override;

    bool open(const QString &wavePath) override;
    // Hands the clip to the sound thread and returns at once. False at once
    // when the file is not open, the range is bad or there is no device; a
    // device that refuses the clip afterwards is reported through the
    // failure report.
    bool play(const Clip &clip) override;
    void close() override;
    void setFailureReport(std::function<void()> report) override;

    // Starts reading the wave file and opening the device on the sound thread
    // and returns at once; open() of the same path waits for it.
    void prepare(const QString &wavePath);

    struct Wave;
    class Worker;

private:
    struct Prepared {
        std::shared_ptr<const Wave> wave; // nothing when the file did not read
        bool device = false;              // an output was made for its format
    };
    struct Report;
    void startThread();

    QThread m_thread;
    Worker *m_worker = nullptr; // lives on m_thread
    QString m_preparedPath;
    std::shared_future<Prepared> m_prepared;
    std::shared_ptr<const Wave> m_wave; // the file open, when it read
    bool m_device = false;              // an output could be made for it
    qint64 m_position = 0;              // byte position where the last clip ended
    std::unique_ptr<QObject> m_home;    // on the thread that plays: failure reports come here
    std::shared_ptr<Report> m_report;
};

} // namespace numbelle::platform
