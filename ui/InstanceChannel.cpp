#include "ui/InstanceChannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A request is one short line; a peer that sends more, or nothing for this long, is dropped.
constexpr qsizetype MaxRequestBytes = 16;
constexpr int MaxRequestsPerConnection = 4;
constexpr int IdleMilliseconds = 5000;

// A directory fit to hold the sockets: a real directory (no link) of this user, reachable by no one else.
bool isPrivateDirectory(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()
        && (st.st_mode & 077) == 0;
}

} // namespace

namespace instances {

QString ChannelDirectory()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateDirectory(runtime))
        return QString::fromLocal8Bit(runtime);
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/tsumiki-" + QByteArray::number(::getuid());
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateDirectory(own) ? QFile::decodeName(own) : QString();
}

QString ExecutableKey(const QString& executablePath)
{
    const QString canonical = QFileInfo(executablePath).canonicalFilePath();
    const QByteArray bytes = QFile::encodeName(canonical.isEmpty() ? executablePath : canonical);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16));
}

QString SocketPath(const QString& directory, const QString& key, qint64 pid)
{
    return directory + u"/tsumiki-"_s + key + u'-' + QString::number(pid);
}

} // namespace instances

TInstanceServer::TInstanceServer(QObject* parent)
    : QObject(parent)
{
}

TInstanceServer::~TInstanceServer()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

bool TInstanceServer::Listen(const QString& executablePath, std::function<bool()> isShown,
                             std::function<void()> close, const QString& directory, qint64 pid)
{
    const QString dir = directory.isEmpty() ? instances::ChannelDirectory() : directory;
    if (dir.isEmpty())
        return false;
    const QString path = instances::SocketPath(dir, instances::ExecutableKey(executablePath),
                                               pid < 0 ? qint64(::getpid()) : pid);
    if (QFile::encodeName(path).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return false;
    m_isShown = std::move(isShown);
    m_close = std::move(close);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket of this very name can only be left by a copy that died with this process id.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &TInstanceServer::acceptConnection);
    return true;
}

QString TInstanceServer::SocketPath() const
{
    return m_server ? m_server->fullServerName() : QString();
}

void TInstanceServer::acceptConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that connects and never writes is dropped.
        auto* idle = new QTimer(socket);
        idle->setObjectName(u"idle"_s);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
        idle->start(IdleMilliseconds);
        socket->setProperty("requests", 0);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(socket); });
    }
}

void TInstanceServer::readRequests(QLocalSocket* socket)
{
    while (socket->state() == QLocalSocket::ConnectedState) {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > MaxRequestBytes)
                socket->abort(); // a flood, or a line too long to be a request
            return;
        }
        const QByteArray line = socket->readLine(MaxRequestBytes + 1);
        const int requests = socket->property("requests").toInt() + 1;
        socket->setProperty("requests", requests);
        if (requests > MaxRequestsPerConnection) {
            socket->abort();
            return;
        }
        if (line == instances::RequestShown) {
            socket->write(m_isShown && m_isShown() ? instances::AnswerYes : instances::AnswerNo);
            socket->flush();
        } else if (line == instances::RequestClose && m_isShown && m_isShown()) {
            // The asking copy waits for this connection to end: it ends when this process does,
            // after everything it keeps has been written.
            if (QTimer* idle = socket->findChild<QTimer*>(u"idle"_s))
                idle->stop();
            socket->write(instances::AnswerClosing);
            socket->flush();
            if (m_close)
                QTimer::singleShot(0, this, [this] { m_close(); });
            disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
            return;
        } else {
            socket->abort();
            return;
        }
    }
}
