#pragma once

// How running copies of the program find and ask each other. Each copy with a window listens on a
// local socket named after its executable and its process, in a directory only its user can reach;
// a copy quitting all others asks each in turn whether its window is shown and then to close.
// The requests are a few fixed short lines; anything else ends the connection, so no other process
// of the user can make a copy do anything but answer or close.

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace instances {

// The requests and answers, each one line.
inline constexpr char RequestShown[] = "shown?\n";
inline constexpr char RequestClose[] = "close\n";
inline constexpr char AnswerYes[] = "yes\n";
inline constexpr char AnswerNo[] = "no\n";
inline constexpr char AnswerClosing[] = "closing\n";

// The directory of the sockets: the user's runtime directory, or else a directory of the user's
// own under the temporary directory, made with access for the user alone. Empty when neither is
// safe (not owned by the user, reachable by others, a link).
QString ChannelDirectory();
// The part of a socket name shared by every copy of one executable (a hash of its canonical path).
QString ExecutableKey(const QString& executablePath);
// A copy's socket: <directory>/tsumiki-<key>-<pid>.
QString SocketPath(const QString& directory, const QString& key, qint64 pid);

} // namespace instances

// The listening side of one copy.
class TInstanceServer : public QObject
{
    Q_OBJECT

public:
    explicit TInstanceServer(QObject* parent = nullptr);
    ~TInstanceServer() override;

    // isShown answers "shown?"; close is called (later, from the event loop) on "close".
    // directory empty: ChannelDirectory(). False when no socket could be made (quit-all of other
    // copies then simply does not find this one).
    bool Listen(const QString& executablePath, std::function<bool()> isShown, std::function<void()> close,
                const QString& directory = QString(), qint64 pid = -1);
    QString SocketPath() const;

private:
    void acceptConnection();
    void readRequests(QLocalSocket* socket);

    QLocalServer* m_server = nullptr;
    std::function<bool()> m_isShown;
    std::function<void()> m_close;
};
