// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopplatform.h"

#include "common/log.h"
#include "platform/desktop/exports.h"
#include "platform/desktop/mimeapps.h"
#include "platform/desktop/modules.h"
#include "platform/desktop/xlsxfile.h"
#include "platform/desktop/zipfile.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <utility>

namespace numbelle::platform {

namespace {

// An entry point of the spreadsheet module; nothing (and the reason in
// *error) when the module cannot be loaded.
template <typename Entry>
Entry xlsxEntry(const char *symbol, QString *error)
{
    const auto entry = reinterpret_cast<Entry>(moduleFunction(kXlsxModule, symbol));
    if (!entry && error)
        *error = QStringLiteral("the spreadsheet module cannot be loaded from %1").arg(moduleFolder());
    return entry;
}

} // namespace

bool writeXlsxThroughModule(const Workbook &workbook, const QString &path, QString *error)
{
    const auto write = xlsxEntry<WriteXlsxFile>(kWriteXlsx, error);
    return write && write(workbook, path, error);
}

bool saveXlsxThroughModule(const Workbook &workbook, const QString &path, QString *error)
{
    const auto save = xlsxEntry<WriteXlsxFile>(kSaveXlsx, error);
    return save && save(workbook, path, error);
}

// ---------------------------------------------------------------------------

Spreadsheet::ShowResult DesktopSpreadsheet::show(const Workbook &workbook)
{
    const QString folder = exportsFolder(true);
    const QString path = folder.isEmpty() ? QString() : newExportFile(folder);
    if (path.isEmpty())
        return ShowResult::NotWritten;
    QString error;
    if (!writeXlsxThroughModule(workbook, path, &error)) {
        qCWarning(lcNumbelle, "cannot write the workbook %s: %s", qPrintable(path), qPrintable(error));
        QFile::remove(path);
        return ShowResult::NotWritten;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        qCWarning(lcNumbelle, "the desktop did not take %s to open it", qPrintable(path));
        QFile::remove(path);
        return ShowResult::NotOpened;
    }
    rememberExport(path);
    return ShowResult::Shown;
}

bool DesktopSpreadsheet::save(const Workbook &workbook, const QString &path)
{
    QString error;
    if (saveXlsxThroughModule(workbook, path, &error))
        return true;
    qCWarning(lcNumbelle, "cannot save the workbook as %s: %s", qPrintable(path), qPrintable(error));
    return false;
}

// ---------------------------------------------------------------------------

Archives::ReadResult DesktopArchives::unzip(const QByteArray &zip, const ArchiveLimits &limits,
                                            QList<ArchiveEntry> &files)
{
    const auto read = reinterpret_cast<UnzipArchive>(moduleFunction(kZipModule, kUnzip));
    return read ? read(zip, limits, files) : ReadResult::Unavailable;
}

std::optional<QByteArray> DesktopArchives::zip(const QList<ArchiveEntry> &files)
{
    const auto make = reinterpret_cast<ZipArchive>(moduleFunction(kZipModule, kZip));
    QByteArray zip;
    if (!make || !make(files, zip))
        return std::nullopt;
    return zip;
}

// ---------------------------------------------------------------------------

DesktopPlatform::DesktopPlatform(Shutdown &shutdown) : m_shutdown(shutdown)
{
    // Exports of earlier runs nobody touched since are cleared away.
    const QString exports = exportsFolder(false);
    if (!exports.isEmpty())
        clearOldExports(exports, QDateTime::currentDateTime());
}

DesktopPlatform::~DesktopPlatform() = default;

Platform DesktopPlatform::platform()
{
    return Platform{m_sound, *this,      *this,         *this,     *this,        *this,     *this,
                    *this,   m_shutdown, m_spreadsheet, m_printer, m_soundInput, m_archives};
}

namespace {

// Calls its function once, right after the window's first paint has been
// drawn, or after a second when no paint comes (a window started hidden).
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then) : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { fire(); });
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            fire();
        return false;
    }

private:
    void fire()
    {
        if (!m_then)
            return;
        // Queued: it runs once the paint in hand has gone to the screen.
        QTimer::singleShot(0, parent(), std::exchange(m_then, nullptr));
        deleteLater();
    }

    std::function<void()> m_then;
};

} // namespace

void DesktopPlatform::afterFirstPaint(QWidget *window, std::function<void()> then)
{
    if (window)
        new AfterFirstPaint(window, std::move(then));
    else
        then();
}

void DesktopPlatform::setTrayHandler(std::function<void(QSystemTrayIcon::ActivationReason)> handler)
{
    m_trayHandler = std::move(handler);
}

QSystemTrayIcon *DesktopPlatform::trayIcon()
{
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
        m_tray->setToolTip(QApplication::applicationDisplayName());
        QObject::connect(m_tray.get(), &QSystemTrayIcon::activated, m_tray.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (m_trayHandler)
                                 m_trayHandler(reason);
                         });
    }
    return m_tray.get();
}

void DesktopPlatform::show(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool DesktopPlatform::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> DesktopPlatform::openFile(const QString &title, const QString &filter)
{
    // The dialog may change the current directory (the program folder every
    // file is addressed from); it is put back whatever the user did.
    const QString folder = QDir::currentPath();
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
    QDir::setCurrent(folder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> DesktopPlatform::saveFile(const QString &title, const QString &filter,
                                                 const QString &suggestedName)
{
    const QString folder = QDir::currentPath();
    QFileDialog dialog(QApplication::activeWindow(), title, QDir::home().filePath(suggestedName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without its ending gets the one of the filter ("还款表"
    // is saved as 还款表.pdf).
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star >= 0) {
        qsizetype end = star + 2;
        while (end < filter.size() && filter[end].isLetterOrNumber())
            ++end;
        dialog.setDefaultSuffix(filter.mid(star + 2, end - star - 2));
    }
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    const QString path = chosen ? dialog.selectedFiles().constFirst() : QString();
    QDir::setCurrent(folder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

bool DesktopPlatform::setText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return true;
}

bool DesktopPlatform::openFile(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

bool DesktopPlatform::canOpen(const QString &fileName) { return desktopCanOpen(fileName); }

// Asked of the desktop each time: a notification area may appear or go away
// while the program runs.
bool DesktopPlatform::available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool DesktopPlatform::add()
{
    if (!available())
        return false;
    trayIcon()->show();
    return true;
}

void DesktopPlatform::remove()
{
    if (m_tray)
        m_tray->hide();
}

void DesktopPlatform::minimized(QObject *window)
{
    if (auto *w = qobject_cast<QWidget *>(window))
        w->showMinimized();
}

void DesktopPlatform::restored(QObject *window)
{
    if (auto *w = qobject_cast<QWidget *>(window)) {
        w->showNormal();
        w->raise();
        w->activateWindow();
    }
}

bool DesktopPlatform::setOpacity(QObject *window, int alpha)
{
    auto *w = qobject_cast<QWidget *>(window);
    if (!w)
        return false;
    w->setWindowOpacity(qBound(0, alpha, 255) / 255.0);
    return true;
}

QDateTime DesktopPlatform::now() { return QDateTime::currentDateTime(); }

} // namespace numbelle::platform
