#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace numbelle {

namespace {

constexpr char kLockName[] = ".numbelle.lock";
constexpr char kRaise[] = "raise\n";
constexpr char kRaised[] = "raised\n";

// A name for the folder's channel, the same for every start on that folder.
QString channelName(const QString &folder)
{
    const QByteArray key = QDir(folder).canonicalPath().toUtf8();
    return QStringLiteral("numbelle-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString &folder)
    : m_folder(folder), m_lock(folder + u'/' + QLatin1StringView(kLockName))
{
    // A lock is stale only when its process is gone, never by age: a
    // program may run for weeks.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Outcome SingleInstance::start()
{
    const QString channel = channelName(m_folder);
    if (m_lock.tryLock(0)) {
        // A channel left by a killed program goes first.
        QLocalServer::removeServer(channel);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        m_server->listen(channel);
        connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains(kRaise))
                        return;
                    if (m_raise)
                        m_raise();
                    socket->write(kRaised);
                    socket->flush();
                });
            }
        });
        return Outcome::First;
    }
    // Another program holds the folder: ask it for its window.
    QLocalSocket socket;
    socket.connectToServer(channel);
    if (!socket.waitForConnected(2000))
        return Outcome::OtherNotReached;
    socket.write(kRaise);
    socket.flush();
    if (!socket.waitForReadyRead(3000) || !socket.readAll().contains(kRaised))
        return Outcome::OtherNotReached;
    return Outcome::OtherRaised;
}

} // namespace numbelle
