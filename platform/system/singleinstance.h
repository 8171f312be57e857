// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One desktop program per program folder: two would append to the same record
// file with counters of their own. The first start holds a lock file in the
// folder and listens on a local socket for later starts; a later start asks
// it to bring its window to the front and ends. The lock is the system's
// advisory lock on the file, held as long as the process lives: a program
// that was killed leaves the file behind but not the lock, so it never blocks
// a start, and taking it writes nothing to the disk. The socket is a plain
// Unix domain socket watched by the event loop, so the program needs no
// network library to start. It lives in the user's private runtime folder
// ($XDG_RUNTIME_DIR, or a 0700 folder of the user's own in the temporary
// folder), so no other user can take its name, and both ends make sure the
// other is the same user. It is removed when the program ends.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

namespace numbelle::platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &folder);
    ~SingleInstance() override;

    enum class Outcome {
        First,          // this is the only program on the folder: go on
        OtherRaised,    // another program runs on it and brought its window forward
        OtherNotReached // another program runs on it but did not answer
    };
    Outcome start();

    // Called in the first program when a later start asks for its window.
    void onRaiseRequest(std::function<void()> raise) { m_raise = std::move(raise); }

    // Stops listening and removes the socket; the program is about to end
    // (it ends without running destructors).
    void close();

    // The folder that holds the socket: $XDG_RUNTIME_DIR when it is the
    // user's own and private, else a private folder of the user's own in the
    // temporary folder (made when missing). Empty when neither can be had.
    static QString runtimeFolder();

private:
    bool listen(const QByteArray &path);
    void accept();
    void serve(int fd, QSocketNotifier *notifier, QByteArray &received);

    QString m_folder;
    int m_lock = -1; // the lock file, held locked while the program runs
    QByteArray m_socketPath;
    int m_listener = -1;
    std::function<void()> m_raise;
};

} // namespace numbelle::platform
