// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop power-off: runs the command line its owner hands it. Only the
// desktop program's main() names the real power-off command; this facility
// knows no command of its own, so nothing that links it without that main()
// can switch a computer off. It is a library of its own, linked by the desktop
// program and by its own test, never by numbelle-script or another test.
//
// NUMBELLE_SHUTDOWN_DRY_RUN, set to anything non-empty, is a safety catch for
// tests that start the desktop program: the facility then writes one line to
// standard error, runs nothing and reports success.

#include "platform/platform.h"

#include <QStringList>
#include <memory>

class QProcess;

namespace numbelle::platform {

class DesktopShutdown final : public Shutdown {
public:
    // commandLine: the program and its arguments, e.g. {"systemctl", "poweroff"}.
    explicit DesktopShutdown(QStringList commandLine);
    ~DesktopShutdown() override;

    // Starts the command and waits at most two seconds for an early exit
    // status: a start failure, a crash or a non-zero exit status within that
    // time is a failure; a zero status, or a command still running then, is
    // success (the system is going down).
    bool powerOff() override;

    // The name of the environment variable that turns the dry run on.
    static const char *dryRunVariable() { return "NUMBELLE_SHUTDOWN_DRY_RUN"; }

private:
    QStringList m_commandLine;
    std::unique_ptr<QProcess> m_running; // a command still running after the wait
};

} // namespace numbelle::platform
