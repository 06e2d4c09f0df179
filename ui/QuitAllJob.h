#pragma once

// Quitting every other shown copy of this executable, one after another: each is asked to close
// and fully gone (its settings and task lists written) before the next is asked. The job runs on
// the event loop, so the asking window stays responsive, and it handles its own close request
// while it waits.

#include <QObject>
#include <QStringList>

class QLocalSocket;
class QTimer;

class TQuitAllJob : public QObject
{
    Q_OBJECT

public:
    // directory empty: the channel directory; ownPid < 0: this process.
    explicit TQuitAllJob(const QString& executablePath, const QString& directory = QString(), qint64 ownPid = -1,
                         QObject* parent = nullptr);

    // How long a copy may take to close before it is passed over (default 30 s).
    void SetCloseTimeout(int milliseconds) { m_closeTimeout = milliseconds; }
    void Start();

    // The process ids of the copies that were asked to close and did not within the time.
    QStringList NotClosed() const { return m_notClosed; }
    // The process ids of the copies that closed.
    QStringList Closed() const { return m_closed; }

signals:
    void Finished();

private:
    enum class Step { Idle, Asking, Closing };

    void next();
    void connected();
    void readAnswer();
    void gone();
    void failed();
    void timedOut();
    void endPeer();

    QString m_directory;
    QString m_key;
    qint64 m_ownPid = 0;
    int m_closeTimeout = 30000;
    QStringList m_peers; // socket paths, the next one last
    QString m_current;
    Step m_step = Step::Idle;
    QLocalSocket* m_socket = nullptr;
    QTimer* m_timer = nullptr;
    QStringList m_notClosed;
    QStringList m_closed;
};
