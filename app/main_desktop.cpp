// SPDX-License-Identifier: GPL-3.0-or-later
// numbelle: the desktop program.

#include "app/commandline.h"
#include "common/log.h"
#include "platform/desktop/desktopplatform.h"
#include "platform/desktop/desktopshutdown.h"
#include "platform/system/memory.h"
#include "platform/system/singleinstance.h"
#include "shell/folders.h"
#include "shell/program.h"
#include "speech/speaker.h"
#include "uikit/widgets.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char **argv)
{
    // The sound and sound-server threads allocate little: one heap for all
    // threads instead of an arena of their own each.
    numbelle::platform::useOneHeapArena();
    // --help and --version answer before the display, the program folder or a
    // window is touched.
    if (const int status = numbelle::answerCommandLine(argc, argv); status >= 0)
        return status;

    QApplication app(argc, argv);
    // The program ends when it says so (exit button, Esc, last window closed
    // after the main window), not when the main window hides in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("numbelle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Numbelle"));
    numbelle::ui::applyChineseFont(app);
    if (!numbelle::ui::loadQtTranslations(app))
        qCWarning(numbelle::lcNumbelle, "Qt's Chinese translations (qtbase_zh_CN.qm) are not installed: "
                                        "Qt's dialogs and buttons show in English");

    const auto [folder, refusal, seeding] = numbelle::ui::programFolder();
    if (!refusal.isEmpty()) {
        qCWarning(numbelle::lcNumbelle, "%s", qPrintable(refusal));
        QMessageBox::critical(nullptr, QStringLiteral("Numbelle"), refusal);
        return 1;
    }

    // One program per program folder.
    numbelle::platform::SingleInstance instance(folder);
    switch (instance.start()) {
    case numbelle::platform::SingleInstance::Outcome::First:
        break;
    case numbelle::platform::SingleInstance::Outcome::OtherRaised:
        qCInfo(numbelle::lcNumbelle, "already running on %s; its window was brought to the front", qPrintable(folder));
        return 0;
    case numbelle::platform::SingleInstance::Outcome::OtherNotReached:
        QMessageBox::information(
            nullptr, QStringLiteral("Numbelle"),
            QStringLiteral("计算器已经在运行（程序文件夹 %1），但无法切换到它的窗口。").arg(folder));
        return 1;
    }

    // The system's power-off, named here and nowhere else: an armed shutdown
    // schedule runs it. numbelle-script and the tests never reach this line.
#ifdef Q_OS_WIN
    numbelle::platform::DesktopShutdown powerOff(
        {QStringLiteral("shutdown"), QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("0")});
#else
    numbelle::platform::DesktopShutdown powerOff({QStringLiteral("systemctl"), QStringLiteral("poweroff")});
#endif

    numbelle::platform::DesktopPlatform desktop(powerOff);
    numbelle::ui::Program program(desktop.platform(), folder);
    desktop.setTrayHandler([&program](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            program.trayEvent(numbelle::ui::Program::TrayLeftRelease);
        else if (reason == QSystemTrayIcon::DoubleClick)
            program.trayEvent(numbelle::ui::Program::TrayDoubleClick);
    });
    QObject::connect(&program, &numbelle::ui::Program::ended, &app, [&instance] {
        // Ending the program means ending it at once: no window's closing
        // steps. Its socket goes, so no later start finds it.
        instance.close();
        std::fflush(nullptr);
        std::_Exit(0);
    });
    instance.onRaiseRequest([&program] { program.bringToFront(); });
    program.start();
    // Once the window has painted: the sound file and the sound device (on
    // the sound thread, so the first key speaks at once) and the window icon.
    // The start-up waits for neither.
    numbelle::platform::DesktopPlatform::afterFirstPaint(
        program.windows().window(numbelle::ui::WindowId::Main), [&desktop, seeding = seeding] {
            // The installed sound files are copied to (or checked in) the
            // program folder now, on a thread of their own: the sound is
            // prepared once they are there.
            const auto prepare = [&desktop] { desktop.prepareSound(QString::fromLatin1(numbelle::kSoundFileName)); };
            if (seeding.valid() && seeding.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
                std::thread([seeding, prepare] {
                    seeding.wait();
                    QMetaObject::invokeMethod(qApp, prepare, Qt::QueuedConnection);
                }).detach();
            } else {
                prepare();
            }
            // The window icon at the sizes window lists and switchers draw;
            // launchers take the installed icon theme's larger ones.
            QIcon icon;
            for (const char *size : {"-48", "-128"})
                icon.addPixmap(
                    numbelle::ui::builtInPicture(QStringLiteral(":/numbelle/numbelle%1.png").arg(QLatin1String(size))));
            QApplication::setWindowIcon(icon);
            // What the start-up freed (image decoding, font loading, the
            // widgets' first layout, the icon's sizes) goes back to the system
            // instead of staying in the heap for the whole session: once the
            // icon is set and the window has settled.
            QTimer::singleShot(250, [] { numbelle::platform::returnFreedMemory(); });
        });
    return app.exec();
}
