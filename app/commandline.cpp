// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include "common/version.h"

#include <cstdio>

namespace numbelle {

namespace {

// Qt's options for every program, with a value or without (Qt reads and
// removes them when the application starts).
const QStringList kQtOptionsWithValue = {
    QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("session"),
    QStringLiteral("display"),
    QStringLiteral("geometry"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("name"),
    QStringLiteral("title"),
    QStringLiteral("visual"),
};
const QStringList kQtOptionsAlone = {
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("sync"),
};

constexpr char kUsage[] = "Usage: numbelle [--help | --version]\n";

constexpr char kHelp[] = "A calculator with a Chinese user interface that speaks every key and every\n"
                         "result aloud, with a data-entry mode that reads each number back and keeps it\n"
                         "as a numbered record.\n"
                         "\n"
                         "  -h, --help     show this help and end\n"
                         "  -v, --version  show the version and end\n"
                         "\n"
                         "Without options the calculator window opens. Its settings and records live in\n"
                         "its program folder: $NUMBELLE_DIR when that is set, otherwise\n"
                         "$XDG_DATA_HOME/numbelle (~/.local/share/numbelle), filled with the installed\n"
                         "defaults at the first start. Qt's own options (-platform, -style, ...) pass to\n"
                         "Qt. See numbelle(1).\n";

} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    CommandLine result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == u"-h" || arg == u"--help")
            return {CommandLine::Outcome::Help, {}};
        if (arg == u"-v" || arg == u"--version")
            return {CommandLine::Outcome::Version, {}};
        if (arg.startsWith(u'-') && arg.size() > 1) {
            QString name = arg.mid(arg.startsWith(u"--") ? 2 : 1);
            const qsizetype equals = name.indexOf(u'=');
            const bool valueGiven = equals >= 0;
            if (valueGiven)
                name.truncate(equals);
            if (kQtOptionsWithValue.contains(name)) {
                if (!valueGiven && ++i >= arguments.size())
                    return {CommandLine::Outcome::Error, QStringLiteral("option '%1' needs a value").arg(arg)};
                continue;
            }
            if (kQtOptionsAlone.contains(name) && !valueGiven)
                continue;
            return {CommandLine::Outcome::Error, QStringLiteral("unknown option '%1'").arg(arg)};
        }
        return {CommandLine::Outcome::Error, QStringLiteral("unexpected argument '%1'").arg(arg)};
    }
    return result;
}

int answerCommandLine(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = readCommandLine(arguments);
    switch (line.outcome) {
    case CommandLine::Outcome::Run:
        return -1;
    case CommandLine::Outcome::Help:
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Outcome::Version:
        std::printf("numbelle %s\n", kVersion);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Outcome::Error:
        break;
    }
    std::fprintf(stderr, "numbelle: %s\n", line.error.toLocal8Bit().constData());
    std::fputs(kUsage, stderr);
    std::fputs("Try 'numbelle --help' for more information.\n", stderr);
    return 2;
}

} // namespace numbelle
