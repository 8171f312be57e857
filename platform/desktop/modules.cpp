#include "modules.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QMutex>
#include <QSet>
#include <cstdio>
#include <map>
#include <memory>

namespace numbelle::platform {

QString moduleFolder() { return QCoreApplication::applicationDirPath() + QStringLiteral("/" NUMBELLE_MODULE_DIR); }

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
