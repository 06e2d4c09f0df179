#include "ui/QuitAllJob.h"

#include "ui/InstanceChannel.h"

#include <QDir>
#include <QLocalSocket>
#include <QTimer>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Connecting and answering take a moment; a copy that needs longer for them is not answering.
constexpr int AnswerMilliseconds = 3000;

QString pidOf(const QString& socketPath)
{
    return socketPath.section(u'-', -1);
}

} // namespace

TQuitAllJob::TQuitAllJob(const QString& executablePath, const QString& directory, qint64 ownPid, QObject* parent)
    : QObject(parent)
    , m_directory(directory.isEmpty() ? instances::ChannelDirectory() : directory)
    , m_key(instances::ExecutableKey(executablePath))
    , m_ownPid(ownPid < 0 ? qint64(::getpid()) : ownPid)
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TQuitAllJob::timedOut);
}

void TQuitAllJob::Start()
{
    m_peers.clear();
    if (!m_directory.isEmpty()) {
        const QString prefix = u"tsumiki-"_s + m_key + u'-';
        const QString own = QDir(m_directory).relativeFilePath(instances::SocketPath(m_directory, m_key, m_ownPid));
        const QStringList names = QDir(m_directory).entryList({prefix + u'*'}, QDir::System | QDir::Files, QDir::Name);
        for (const QString& name : names) {
            bool isNumber = false;
            name.mid(prefix.size()).toLongLong(&isNumber);
            if (isNumber && name != own)
                m_peers << m_directory + u'/' + name;
        }
    }
    // Finishing is reported from the event loop even when there is nobody to ask.
    QTimer::singleShot(0, this, &TQuitAllJob::next);
}

void TQuitAllJob::next()
{
    if (m_peers.isEmpty()) {
        m_step = Step::Idle;
        emit Finished();
        return;
    }
    m_current = m_peers.takeLast();
    m_step = Step::Asking;
    m_socket = new QLocalSocket(this);
    connect(m_socket, &QLocalSocket::connected, this, &TQuitAllJob::connected);
    connect(m_socket, &QLocalSocket::readyRead, this, &TQuitAllJob::readAnswer);
    connect(m_socket, &QLocalSocket::disconnected, this, &TQuitAllJob::gone);
    connect(m_socket, &QLocalSocket::errorOccurred, this, &TQuitAllJob::failed);
    m_timer->start(AnswerMilliseconds);
    m_socket->connectToServer(m_current);
}

void TQuitAllJob::connected()
{
    m_socket->write(instances::RequestShown);
}

void TQuitAllJob::readAnswer()
{
    while (m_socket && m_socket->canReadLine()) {
        const QByteArray line = m_socket->readLine(32);
        if (m_step == Step::Asking && line == instances::AnswerYes) {
            m_socket->write(instances::RequestClose);
        } else if (m_step == Step::Asking && line == instances::AnswerClosing) {
            m_step = Step::Closing;
            m_timer->start(m_closeTimeout);
        } else {
            // Not shown (a silent run in the tray), or an answer we do not know: left as it is.
            endPeer();
            return;
        }
    }
}

// The connection of a copy that closes ends with its process.
void TQuitAllJob::gone()
{
    if (m_step == Step::Closing)
        m_closed << pidOf(m_current);
    endPeer();
}

void TQuitAllJob::failed()
{
    if (!m_socket || m_step == Step::Closing)
        return; // the end of a closing copy's connection arrives as an error too; gone() handles it
    const QLocalSocket::LocalSocketError error = m_socket->error();
    if (error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError) {
        // Nobody listens there any more: what a copy that died left behind.
        QFile::remove(m_current);
    }
    endPeer();
}

void TQuitAllJob::timedOut()
{
    if (m_step == Step::Closing)
        m_notClosed << pidOf(m_current);
    endPeer();
}

void TQuitAllJob::endPeer()
{
    m_timer->stop();
    if (m_socket) {
        QLocalSocket* socket = std::exchange(m_socket, nullptr);
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (m_step != Step::Idle) {
        m_step = Step::Idle;
        QTimer::singleShot(0, this, &TQuitAllJob::next);
    }
}
