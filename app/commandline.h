// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop program's command line. Starting without options opens the
// calculator as always; --help and --version answer and end before anything
// else happens (no display, no program folder, no window); anything the
// program does not know is answered with the usage and a failure status.

#include <QStringList>

namespace numbelle {

struct CommandLine {
    enum class Outcome {
        Run,     // start the calculator
        Help,    // print the help and end successfully
        Version, // print the version and end successfully
        Error    // print `error` and the usage, end with a failure status
    };
    Outcome outcome = Outcome::Run;
    QString error;
};

// Reads the arguments after the program name. Qt's own options (-platform,
// -style, -display and the like, with their values) belong to Qt and pass.
CommandLine readCommandLine(const QStringList &arguments);

// Answers --help, --version and a wrong command line on standard output or
// standard error and returns the exit status; returns -1 when the program is
// to start.
int answerCommandLine(int argc, char **argv);

} // namespace numbelle
