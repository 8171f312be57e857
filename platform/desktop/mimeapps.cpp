// SPDX-License-Identifier: GPL-3.0-or-later
#include "mimeapps.h"

#include "common/log.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QSet>
#include <QStandardPaths>

namespace numbelle::platform {

namespace {

// The groups of a key file (desktop entry or mimeapps.list): group -> key -> value.
using KeyFile = QHash<QString, QHash<QString, QString>>;

KeyFile readKeyFile(const QString &path)
{
    KeyFile groups;
    QFile file(path);
    // Such files are a few kilobytes; a larger one is no key file of interest.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return groups;
    const QByteArray bytes = file.read(1024 * 1024);
    QString group;
    for (const QByteArray &rawLine : bytes.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || group.isEmpty())
            continue;
        // Only the first value of a key counts, as in every reader of these files.
        QHash<QString, QString> &keys = groups[group];
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(equals + 1).trimmed());
    }
    return groups;
}

QStringList listValue(const QString &value)
{
    QStringList items;
    for (const QString &item : value.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items.append(trimmed);
    }
    return items;
}

// The program an Exec line starts: its first word, without quotes.
QString execProgram(const QString &exec)
{
    QString program;
    bool quoted = false;
    for (QChar c : exec.trimmed()) {
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (c.isSpace() && !quoted)
            break;
        program.append(c);
    }
    return program;
}

bool programExists(const QString &program)
{
    if (program.isEmpty())
        return false;
    if (QDir::isAbsolutePath(program)) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

class Applications {
public:
    explicit Applications(const QStringList &folders) : m_folders(folders) {}

    // The desktop entry file of an id: the first folder that has it. Ids of
    // entries in subfolders join the folder names with '-'.
    QString pathOf(const QString &id)
    {
        for (const QString &folder : m_folders) {
            for (const QString &path : candidatePaths(folder, id)) {
                if (QFileInfo(path).isFile())
                    return path;
            }
        }
        return QString();
    }

    // Whether the id names an application that can be started.
    bool usable(const QString &id)
    {
        const auto known = m_usable.constFind(id);
        if (known != m_usable.constEnd())
            return *known;
        const QString path = pathOf(id);
        bool ok = false;
        if (!path.isEmpty()) {
            const QHash<QString, QString> entry = readKeyFile(path).value(QStringLiteral("Desktop Entry"));
            ok =
                entry.value(QStringLiteral("Type")) == u"Application" &&
                entry.value(QStringLiteral("Hidden")) != u"true" &&
                (!entry.contains(QStringLiteral("TryExec")) || programExists(entry.value(QStringLiteral("TryExec")))) &&
                programExists(execProgram(entry.value(QStringLiteral("Exec"))));
        }
        m_usable.insert(id, ok);
        return ok;
    }

    // Every installed entry's id and the file types it names, in folder order.
    QList<std::pair<QString, QStringList>> installed()
    {
        QList<std::pair<QString, QStringList>> entries;
        QSet<QString> seen;
        for (const QString &folder : m_folders) {
            const QDir base(folder);
            QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QString id = base.relativeFilePath(path);
                id.replace(u'/', u'-');
                if (seen.contains(id))
                    continue; // shadowed by the same id in a more important folder
                seen.insert(id);
                const QHash<QString, QString> entry = readKeyFile(path).value(QStringLiteral("Desktop Entry"));
                entries.append({id, listValue(entry.value(QStringLiteral("MimeType")))});
            }
        }
        return entries;
    }

private:
    static QStringList candidatePaths(const QString &folder, const QString &id)
    {
        // "kde-org.kde.okular.desktop" may live in kde/org.kde.okular.desktop.
        QStringList paths{folder + u'/' + id};
        QString rest = id;
        QString prefix = folder;
        qsizetype dash;
        while ((dash = rest.indexOf(u'-')) > 0) {
            prefix += u'/' + rest.left(dash);
            rest = rest.mid(dash + 1);
            paths.append(prefix + u'/' + rest);
        }
        return paths;
    }

    QStringList m_folders;
    QHash<QString, bool> m_usable;
};

} // namespace

MimeAppsFolders mimeAppsFolders()
{
    auto listOf = [](const char *name, const QString &fallback) {
        const QString value = qEnvironmentVariable(name);
        return (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts);
    };
    const QString home = QDir::homePath();
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty())
        configHome = home + QStringLiteral("/.config");
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = home + QStringLiteral("/.local/share");

    MimeAppsFolders folders;
    folders.configFolders = QStringList{configHome} + listOf("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString &data :
         QStringList{dataHome} + listOf("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        folders.applicationFolders.append(data + QStringLiteral("/applications"));
    for (const QString &desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        folders.desktops.append(desktop.toLower());
    return folders;
}

QString applicationFor(const QString &mimeType, const MimeAppsFolders &folders)
{
    QStringList types{mimeType};
    const QMimeType known = QMimeDatabase().mimeTypeForName(mimeType);
    if (known.isValid()) {
        types = QStringList{known.name()} + known.aliases();
        types.removeDuplicates();
    }

    Applications applications(folders.applicationFolders);
    QSet<QString> removed;

    // The association lists, most important first; each list's removals hold
    // for the lists after it and for the installed entries.
    QStringList lists;
    for (const QString &folder : folders.configFolders + folders.applicationFolders) {
        for (const QString &desktop : folders.desktops)
            lists.append(folder + u'/' + desktop + QStringLiteral("-mimeapps.list"));
        lists.append(folder + QStringLiteral("/mimeapps.list"));
    }
    for (const QString &list : lists) {
        const KeyFile file = readKeyFile(list);
        if (file.isEmpty())
            continue;
        for (const char *group : {"Default Applications", "Added Associations"}) {
            const QHash<QString, QString> entries = file.value(QLatin1String(group));
            for (const QString &type : types) {
                for (const QString &id : listValue(entries.value(type))) {
                    if (!removed.contains(id) && applications.usable(id))
                        return id;
                }
            }
        }
        const QHash<QString, QString> removals = file.value(QStringLiteral("Removed Associations"));
        for (const QString &type : types) {
            for (const QString &id : listValue(removals.value(type)))
                removed.insert(id);
        }
    }

    for (const auto &[id, entryTypes] : applications.installed()) {
        if (removed.contains(id))
            continue;
        for (const QString &type : types) {
            if (entryTypes.contains(type) && applications.usable(id))
                return id;
        }
    }
    return QString();
}

QString mimeTypeOf(const QString &fileName)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return type.isValid() && !type.isDefault() ? type.name() : QString();
}

bool desktopCanOpen(const QString &fileName)
{
    const QString type = mimeTypeOf(fileName);
    if (type.isEmpty())
        return false;
    const QString application = applicationFor(type, mimeAppsFolders());
    if (application.isEmpty())
        qCInfo(lcNumbelle, "no application on this desktop opens %s (%s)", qPrintable(fileName), qPrintable(type));
    else
        qCDebug(lcNumbelle, "%s opens %s", qPrintable(application), qPrintable(fileName));
    return !application.isEmpty();
}

} // namespace numbelle::platform
