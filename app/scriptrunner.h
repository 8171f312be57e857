// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// numbelle-script's command language: reads commands one per line, drives the
// program's windows as a person would (keystrokes, clicks, timer ticks) and
// prints what the windows show and what the program asked of the platform.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <stdexcept>

class QObject;
class QWidget;

namespace numbelle {
namespace platform {
class RecordingPlatform;
}
namespace ui {
class Program;
}

// A script error: unknown command, window or element, bad arguments.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Word {
    QString text;
    bool quoted = false;
};

// Splits a command line into words; a word in double quotes may hold blanks and
// the escapes \\ \" \r \n \t \b \e.
QList<Word> splitCommand(const QString &line);

class ScriptRunner {
public:
    ScriptRunner(ui::Program &program, platform::RecordingPlatform &platform, std::FILE *out);

    // Carries out one line. Throws ScriptError for a bad line.
    void run(const QString &line);

private:
    // A command of the language: its name and what carries it out.
    struct Command {
        const char *name;
        void (ScriptRunner::*handler)(const QList<Word> &args);
    };
    static const Command kCommands[];

    void print(const QList<Word> &args);
    void typeCommand(const QList<Word> &args);
    void keyCommand(const QList<Word> &args);
    void clickCommand(const QList<Word> &args);
    void setCommand(const QList<Word> &args);
    void focusCommand(const QList<Word> &args);
    void selectCommand(const QList<Word> &args);
    void slideCommand(const QList<Word> &args);
    void clockCommand(const QList<Word> &args);
    void closeCommand(const QList<Word> &args);
    void trayCommand(const QList<Word> &args);
    void waitCommand(const QList<Word> &args);
    void discardCommand(const QList<Word> &args);
    void failCommand(const QList<Word> &args);
    void answerCommand(const QList<Word> &args);
    void microphoneCommand(const QList<Word> &args);
    void printLine(const QString &name, const QString &value);
    void type(const QString &text);
    void key(const QString &name);
    void click(const QString &target);
    // A click on line LINE (from 1) of a rich text box, a list or a grid.
    void clickLine(const QString &target, int line);
    void tick(const QList<Word> &args);
    void shot(const QList<Word> &args);

    QWidget *windowNamed(const QString &name) const;
    QObject *element(const QString &target, QWidget **window = nullptr) const;
    QWidget *keyTarget() const;
    QString propertyValue(QObject *object, const QString &property) const;

    ui::Program &m_program;
    platform::RecordingPlatform &m_platform;
    std::FILE *m_out;
};

// Escapes a value for output: CR \r, LF \n, TAB \t, backslash \\.
QString escapeValue(const QString &value);

} // namespace numbelle
