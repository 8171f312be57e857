// SPDX-License-Identifier: GPL-3.0-or-later
// numbelle-script: runs the whole program on the offscreen platform, driven by
// commands from a file or standard input (see docs/numbelle-script.md).

#include "app/scriptrunner.h"
#include "common/fileio.h"
#include "platform/recording/recordingplatform.h"
#include "shell/folders.h"
#include "shell/program.h"
#include "uikit/widgets.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: numbelle-script [--dir DIR] [--show] [FILE]\n"
                         "  --show  put the windows on the display of DISPLAY (e.g. an Xvfb server) instead of\n"
                         "          the offscreen platform, to look at them; nothing else changes\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QString dir = QDir::currentPath();
    QString scriptPath;
    bool show = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--dir") && i + 1 < argc)
            dir = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--show"))
            show = true;
        else if (arg.startsWith(u'-') && arg != u"-")
            return usage();
        else if (scriptPath.isEmpty())
            scriptPath = arg;
        else
            return usage();
    }
    if (!show)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Resolve paths before the program changes the current directory.
    dir = QFileInfo(dir).absoluteFilePath();
    if (!scriptPath.isEmpty() && scriptPath != u"-")
        scriptPath = QFileInfo(scriptPath).absoluteFilePath();
    if (!QFileInfo(dir).isDir()) {
        std::fprintf(stderr, "numbelle-script: no folder %s\n", qPrintable(dir));
        return 2;
    }
    // Refused as the desktop program refuses it.
    if (const QString refusal = numbelle::ui::folderRefusal(dir); !refusal.isEmpty()) {
        std::fprintf(stderr, "numbelle-script: %s\n", qPrintable(refusal));
        return 2;
    }

    // File faults that hold from the start (a test seam): NUMBELLE_FAIL is a
    // comma-separated list of disk, readonly, unreadable, rename.
    for (const QString &name : qEnvironmentVariable("NUMBELLE_FAIL").split(u',', Qt::SkipEmptyParts)) {
        if (name == u"disk")
            numbelle::fileio::setFault(numbelle::fileio::Fault::DiskFull, true);
        else if (name == u"readonly")
            numbelle::fileio::setFault(numbelle::fileio::Fault::ReadOnly, true);
        else if (name == u"unreadable")
            numbelle::fileio::setFault(numbelle::fileio::Fault::Unreadable, true);
        else if (name == u"rename")
            numbelle::fileio::setFault(numbelle::fileio::Fault::RenameFails, true);
        else {
            std::fprintf(stderr, "numbelle-script: NUMBELLE_FAIL: unknown fault %s\n", qPrintable(name));
            return 2;
        }
    }

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    numbelle::ui::WindowTimer::setManual(true);

    QFile input;
    if (scriptPath.isEmpty() || scriptPath == u"-") {
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            std::fprintf(stderr, "numbelle-script: cannot read standard input\n");
            return 2;
        }
    } else {
        input.setFileName(scriptPath);
        if (!input.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "numbelle-script: cannot open %s\n", qPrintable(scriptPath));
            return 2;
        }
    }

    // Shown on a display, the windows look as the desktop program's do: its
    // Chinese font, Qt's own texts in Chinese.
    if (show) {
        numbelle::ui::applyChineseFont(app);
        numbelle::ui::loadQtTranslations(app);
    }

    numbelle::platform::RecordingPlatform recording;
    numbelle::ui::Program program(recording.platform(), dir);
    program.start();
    QCoreApplication::processEvents();
    numbelle::ScriptRunner runner(program, recording, stdout);

    int lineNumber = 0;
    while (!program.hasEnded()) {
        const QByteArray raw = input.readLine();
        if (raw.isEmpty() && input.atEnd())
            break;
        ++lineNumber;
        QString line = QString::fromUtf8(raw);
        while (line.endsWith(u'\n') || line.endsWith(u'\r'))
            line.chop(1);
        try {
            runner.run(line);
        } catch (const numbelle::ScriptError &e) {
            std::fflush(stdout);
            std::fprintf(stderr, "numbelle-script: line %d: %s\n", lineNumber, e.what());
            std::_Exit(2);
        }
    }
    if (program.hasEnded())
        std::fputs("ended\n", stdout);
    std::fflush(stdout);
    // The process ends the way Esc ends the program: no unload steps run, and
    // what was handed to the operating system stays on disk.
    std::_Exit(0);
}
