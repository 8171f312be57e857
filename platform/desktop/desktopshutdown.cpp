// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopshutdown.h"

#include "common/log.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <vector>

namespace numbelle::platform {

namespace {

// The longest the window thread waits for the command to report back.
constexpr int kWaitMs = 2000;

// Commands still running when their facility went away. A QProcess kills its
// process when it is destroyed; a power-off under way must go on, so these are
// kept (and stay reachable) until the program ends.
std::vector<QProcess *> &outliving()
{
    static std::vector<QProcess *> processes;
    return processes;
}

} // namespace

DesktopShutdown::DesktopShutdown(QStringList commandLine) : m_commandLine(std::move(commandLine)) {}

DesktopShutdown::~DesktopShutdown()
{
    if (m_running && m_running->state() != QProcess::NotRunning)
        outliving().push_back(m_running.release());
}

bool DesktopShutdown::powerOff()
{
    const QString command = m_commandLine.join(u' ');
    if (!qEnvironmentVariableIsEmpty(dryRunVariable())) {
        qCWarning(lcNumbelle, "%s is set: not running \"%s\"", dryRunVariable(), qPrintable(command));
        return true;
    }
    if (m_commandLine.isEmpty())
        return false;
    if (m_running && m_running->state() != QProcess::NotRunning) {
        // An earlier power-off is still under way; it is not started twice.
        return true;
    }
    auto process = std::make_unique<QProcess>();
    process->setProgram(m_commandLine.first());
    process->setArguments(m_commandLine.mid(1));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    // One deadline for starting and finishing together.
    const QDeadlineTimer deadline(kWaitMs);
    process->start();
    if (!process->waitForStarted(int(deadline.remainingTime())))
        return false;
    if (!process->waitForFinished(int(deadline.remainingTime()))) {
        if (process->state() == QProcess::NotRunning)
            return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        // Still running after the wait: the system is on its way down.
        m_running = std::move(process);
        return true;
    }
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

} // namespace numbelle::platform
