// SPDX-License-Identifier: GPL-3.0-or-later
#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace numbelle::platform {

namespace {

constexpr char kLockName[] = ".numbelle.lock";
constexpr char kRaise[] = "raise\n";
constexpr char kRaised[] = "raised\n";
// Nothing longer is ever sent; a talker that sends more is dropped.
constexpr qsizetype kMaxMessage = 64;

// Whether the folder at path is the user's own and closed to everyone else.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// The socket of the folder's channel, the same for every start on that
// folder: in the user's private runtime folder, named after the folder's real
// path.
QByteArray socketPath(const QString &folder)
{
    const QString runtime = SingleInstance::runtimeFolder();
    if (runtime.isEmpty())
        return QByteArray();
    const QByteArray key = QDir(folder).canonicalPath().toUtf8();
    const QString name = QStringLiteral("numbelle-") +
                         QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    return QFile::encodeName(runtime + u'/' + name);
}

// The user at the other end of a connected socket is this one.
bool peerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
}

bool toAddress(const QByteArray &path, sockaddr_un &address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// Waits for the socket to be ready for events, at most until the deadline.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = poll(&p, 1, int(deadline.remainingTime()));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

// Asks the program on the other end of the socket for its window.
bool askToRaise(const QByteArray &path)
{
    sockaddr_un address;
    if (!toAddress(path, address))
        return false;
    struct Socket {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ~Socket()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } s;
    const int fd = s.fd;
    if (fd < 0)
        return false;
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return false;
        int error = 0;
        socklen_t length = sizeof error;
        if (!waitFor(fd, POLLOUT, QDeadlineTimer(2000)) || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
            error != 0)
            return false;
    }
    // Only a program of this user may answer for the folder.
    if (!peerIsThisUser(fd))
        return false;
    const qsizetype length = qsizetype(std::strlen(kRaise));
    if (send(fd, kRaise, size_t(length), MSG_NOSIGNAL) != length)
        return false;
    QByteArray answer;
    const QDeadlineTimer deadline(3000);
    while (!answer.contains(kRaised) && answer.size() < kMaxMessage) {
        if (!waitFor(fd, POLLIN, deadline))
            return false;
        char buffer[64];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR)))
            return false;
        if (n > 0)
            answer.append(buffer, qsizetype(n));
    }
    return answer.contains(kRaised);
}

enum class Lock { Taken, HeldByOther, Unavailable };

// Takes the advisory lock on the folder's lock file without waiting. The file
// is opened for reading where it cannot be written (a read-only folder that
// holds one); a folder where it can be neither made nor opened cannot be
// locked at all.
Lock takeLock(const QString &path, int &fd)
{
    const QByteArray name = QFile::encodeName(path);
    // Never through a link, and never waiting: a FIFO in its place opens at
    // once (or not at all) and is then no lock file.
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    fd = ::open(name.constData(), O_RDWR | O_CREAT | kFlags, S_IRUSR | S_IWUSR);
    if (fd < 0)
        fd = ::open(name.constData(), O_RDONLY | kFlags);
    if (fd < 0)
        return Lock::Unavailable;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return Lock::Unavailable;
    }
    int r;
    do
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return Lock::Taken;
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    fd = -1;
    return held ? Lock::HeldByOther : Lock::Unavailable;
}

} // namespace

SingleInstance::SingleInstance(const QString &folder) : m_folder(folder) {}

SingleInstance::~SingleInstance()
{
    close();
    if (m_lock >= 0)
        ::close(m_lock); // the lock goes with the descriptor
}

void SingleInstance::close()
{
    if (m_listener < 0)
        return;
    ::close(m_listener);
    m_listener = -1;
    ::unlink(m_socketPath.constData());
}

QString SingleInstance::runtimeFolder()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && isPrivateFolder(xdg))
        return QFile::decodeName(xdg);
    // A folder of the user's own: made private, and used only when it is
    // (another user may have made one of that name first).
    const QByteArray own =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/numbelle-%1").arg(qulonglong(::geteuid())));
    ::mkdir(own.constData(), S_IRWXU);
    return isPrivateFolder(own) ? QFile::decodeName(own) : QString();
}

SingleInstance::Outcome SingleInstance::start()
{
    m_socketPath = socketPath(m_folder);
    const Lock lock = takeLock(m_folder + u'/' + QLatin1StringView(kLockName), m_lock);
    if (lock == Lock::Unavailable) {
        // A folder that cannot hold the lock (read-only, no locks on its file
        // system) does not keep the program from running; the socket still
        // brings a later start's request here.
        if (askToRaise(m_socketPath))
            return Outcome::OtherRaised;
        listen(m_socketPath);
        return Outcome::First;
    }
    if (lock == Lock::Taken) {
        // Without the socket the program still runs; a later start then says
        // it cannot reach this one.
        listen(m_socketPath);
        return Outcome::First;
    }
    // Another program holds the folder: ask it for its window.
    return askToRaise(m_socketPath) ? Outcome::OtherRaised : Outcome::OtherNotReached;
}

bool SingleInstance::listen(const QByteArray &path)
{
    sockaddr_un address;
    if (!toAddress(path, address))
        return false;
    m_listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        return false;
    // A socket left by a killed program goes first (the lock is ours, so no
    // running program owns it).
    ::unlink(path.constData());
    // Only the user may talk to it: made private before anyone can connect.
    if (bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(m_listener, 8) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    auto *notifier = new QSocketNotifier(qintptr(m_listener), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { accept(); });
    return true;
}

void SingleInstance::accept()
{
    for (;;) {
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        // Only this user's own later starts are heard.
        if (!peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        auto *notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
        auto received = std::make_shared<QByteArray>();
        connect(notifier, &QSocketNotifier::activated, this,
                [this, fd, notifier, received] { serve(fd, notifier, *received); });
    }
}

void SingleInstance::serve(int fd, QSocketNotifier *notifier, QByteArray &received)
{
    char buffer[64];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    bool done = n <= 0;
    if (n > 0) {
        received.append(buffer, qsizetype(n));
        if (received.contains(kRaise)) {
            if (m_raise)
                m_raise();
            send(fd, kRaised, std::strlen(kRaised), MSG_NOSIGNAL);
            done = true;
        } else if (received.size() > kMaxMessage) {
            done = true;
        }
    }
    if (done) {
        notifier->setEnabled(false);
        notifier->deleteLater();
        ::close(fd);
    }
}

} // namespace numbelle::platform
