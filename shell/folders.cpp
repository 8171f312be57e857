// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders.h"

#include "common/fileio.h"
#include "common/shippedfile.h"
#include "platform/system/folderaccess.h"
#include "shell/defaultfiles.h"
#include "speech/speaker.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

namespace numbelle::ui {

QStringList defaultFiles()
{
    QStringList names;
    for (const char16_t *name : kDefaultFiles)
        names.append(QString::fromUtf16(name));
    return names;
}

namespace {

// The SHA-256 of every face picture countface107.jpg the program shipped
// before the one it installs now. A program folder still holding one of them
// gets the installed face: the keypad moved, and an older face would show
// its plate behind the wrong places.
QList<QByteArray> shippedFacePictureHashes()
{
    return {
        // The first face: keypad rows of 750 twips from 2460.
        QByteArrayLiteral("241733624f3d06e57d9a9c5fa10acc13aecc1f2ec38bf16d0f5e1a58e932971f"),
    };
}

bool isWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

// The default files the start-up reads before the window is first drawn: the
// settings, the records it counts, the face and the speaker pictures. The
// rest (the sound files, the code list) is first needed later.
bool neededAtStart(const QString &name)
{
    return name == u"savedata.txt" || name == u"datafile.txt" || name == u"countface107.jpg" ||
           name.endsWith(QStringLiteral(".bmp"));
}

// Copies the installed defaults that the folder does not have yet, those the
// start-up reads (atStart) or the others; each copy is complete on disk
// before it takes its name.
void seed(const QString &folder, const QString &from, bool atStart)
{
    if (atStart) {
        // A face picture an earlier version put there gives way to the
        // installed one.
        const QString face = QStringLiteral("/countface107.jpg");
        refreshShippedFile(folder + face, from + face, shippedFacePictureHashes());
    } else {
        // So does a sound file.
        const QString sound = u'/' + QLatin1StringView(kSoundFileName);
        refreshShippedFile(folder + sound, from + sound, shippedSoundFileHashes());
        const QString words = u'/' + QLatin1StringView(kWordsFileName);
        refreshShippedFile(folder + words, from + words, shippedWordsFileHashes());
    }
    for (const QString &name : defaultFiles()) {
        if (neededAtStart(name) != atStart)
            continue;
        const QString target = folder + u'/' + name;
        const QString source = from + u'/' + name;
        if (!QFileInfo::exists(target) && QFileInfo::exists(source) && QFile::copy(source, target))
            fileio::makePrivate(target);
    }
}

} // namespace

QString folderRefusal(const QString &path) { return platform::folderRefusal(path, platform::folderAccess(path)); }

ProgramFolder programFolder()
{
    const QString override = qEnvironmentVariable("NUMBELLE_DIR");
    if (!override.isEmpty()) {
        QDir().mkpath(override);
        const QString folder = QFileInfo(override).absoluteFilePath();
        return {folder, folderRefusal(folder), {}};
    }
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(exeDir + QStringLiteral("/dansheng109.wav")) && isWritableFolder(exeDir))
        return {exeDir, folderRefusal(exeDir), {}};

    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = dataHome + QStringLiteral("/numbelle");
    QDir().mkpath(folder);
    // The records and settings are the user's own: the folder is private,
    // also where an earlier version or the user left it wider.
    platform::makeFolderPrivate(folder);
    if (const QString refusal = folderRefusal(folder); !refusal.isEmpty())
        return {folder, refusal, {}};
    // Installed defaults live in <prefix>/share/numbelle beside <prefix>/bin.
    // What the start-up reads is copied now; the rest when it is first waited
    // for, which the desktop program does on a thread of its own once its
    // window has painted (the sound waits for it). Run beside the start-up,
    // the check of the sound files made the window map 6 to 8 % later.
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../share/numbelle"));
    const QString from = QFileInfo::exists(installed) ? installed : exeDir;
    seed(folder, from, true);
    return {folder, QString(),
            std::async(std::launch::deferred, [folder, from] { seed(folder, from, false); }).share()};
}

void applyChineseFont(QApplication &app)
{
    // The first of these that is installed is the program's font. Named as a
    // list rather than looked up: asking for the installed families would
    // read the whole font configuration before the window can be shown,
    // where the first text drawn needs it only once the window is mapped.
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Noto Sans SC"), QStringLiteral("Source Han Sans SC")});
    f.setPointSizeF(10);
    f.setStyleStrategy(QFont::PreferNoShaping);
    app.setFont(f);
}

bool loadQtTranslations(QApplication &app)
{
    // Named, not taken from the locale: the program is Chinese throughout.
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace numbelle::ui
