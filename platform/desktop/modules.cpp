// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QSet>
#include <cstdio>
#include <map>
#include <memory>
#include <unistd.h>

namespace numbelle::platform {

QString moduleFolder()
{
    // The program's folder, also where no application object exists (a
    // test): read where the application object reads it on this system.
    QString programFolder;
    if (QCoreApplication::instance()) {
        programFolder = QCoreApplication::applicationDirPath();
    } else {
        char exe[4096];
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n > 0)
            programFolder = QFileInfo(QFile::decodeName(QByteArray(exe, n))).path();
    }
    return QDir::cleanPath(programFolder + QStringLiteral("/" NUMBELLE_MODULE_DIR));
}

QFunctionPointer moduleFunction(const char *name, const char *symbol)
{
    static QMutex mutex;
    static std::map<QString, std::unique_ptr<QLibrary>> modules;
    static QSet<QString> reported;
    const QMutexLocker lock(&mutex);
    const QString key = QString::fromLatin1(name);
    std::unique_ptr<QLibrary> &module = modules[key];
    if (!module)
        module = std::make_unique<QLibrary>(moduleFolder() + u'/' + key);
    if (!module->isLoaded() && !module->load()) {
        if (!reported.contains(key)) {
            reported.insert(key);
            std::fprintf(stderr, "numbelle: %s\n", qPrintable(module->errorString()));
        }
        return nullptr;
    }
    return module->resolve(symbol);
}

} // namespace numbelle::platform
