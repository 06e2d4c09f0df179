// How copies of the program find and close each other: the local protocol, what it refuses, stale
// sockets, copies that do not close, and three real copies of two program folders.

#include "MainFormFixture.h"
#include "support/TestSupport.h"
#include "ui/InstanceChannel.h"
#include "ui/QuitAllJob.h"

#include <QDirIterator>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString FakeExecutable = u"/opt/tsumiki/tsumiki"_s;

// A copy of the program as the others see it: a server in this process under a made-up pid.
struct FakeCopy
{
    std::unique_ptr<TInstanceServer> server = std::make_unique<TInstanceServer>();
    bool shown = true;
    int closeRequests = 0;
    // What closing does; by default the copy goes away at once, as a real one does when it exits.
    std::function<void(FakeCopy&)> onClose = [](FakeCopy& c) { c.server.reset(); };

    bool listen(const QString& dir, qint64 pid)
    {
        return server->Listen(FakeExecutable, [this] { return shown; },
                              [this] {
                                  ++closeRequests;
                                  onClose(*this);
                              },
                              dir, pid);
    }
};

// Sends raw bytes and returns what came back before the server ended the connection (or after the wait).
QByteArray exchange(const QString& path, const QByteArray& request, bool* dropped, int waitMs = 1000)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000))
        return "<no connection>";
    if (!request.isEmpty())
        socket.write(request);
    socket.flush();
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QLocalSocket::ConnectedState && timer.elapsed() < waitMs) {
        if (socket.waitForReadyRead(50))
            answer += socket.readAll();
    }
    answer += socket.readAll();
    *dropped = socket.state() != QLocalSocket::ConnectedState;
    return answer;
}

// Runs a peer's exchange on a thread of its own while this thread's event loop serves the copy;
// true once it has ended. A standard thread and atomic, so that a race checker sees what the peer
// wrote happen before what the test reads.
bool runAside(const std::function<void()>& peer)
{
    std::atomic<bool> finished{false};
    std::thread thread([&] {
        peer();
        finished.store(true);
    });
    const bool ended = QTest::qWaitFor([&finished] { return finished.load(); }, 5000);
    thread.join(); // every exchange gives up on its own within seconds
    return ended;
}

} // namespace

class TestInstances : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString dir() const { return m_dir->path(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        ::chmod(QFile::encodeName(dir()).constData(), 0700);
    }

    void socketNames()
    {
        const QString key = instances::ExecutableKey(FakeExecutable);
        QCOMPARE(key.size(), 16);
        QVERIFY(key != instances::ExecutableKey(u"/opt/other/tsumiki"_s));
        QCOMPARE(instances::SocketPath(u"/run/user/0"_s, key, 42), u"/run/user/0/tsumiki-"_s + key + u"-42"_s);
        const QString channel = instances::ChannelDirectory();
        QVERIFY(!channel.isEmpty());
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(channel).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 077), 0);
        QCOMPARE(st.st_uid, ::getuid());
    }

    void protocol_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<int>("closes");
        QTest::newRow("shown?") << true << QByteArray("shown?\n") << QByteArray("yes\n") << false << 0;
        QTest::newRow("shown? while hidden") << false << QByteArray("shown?\n") << QByteArray("no\n") << false << 0;
        // The connection of a copy that closes stays until its process ends.
        QTest::newRow("close") << true << QByteArray("shown?\nclose\n") << QByteArray("yes\nclosing\n") << false << 1;
        QTest::newRow("close while hidden") << false << QByteArray("close\n") << QByteArray() << true << 0;
        QTest::newRow("unknown request") << true << QByteArray("quit\n") << QByteArray() << true << 0;
        QTest::newRow("request with more") << true << QByteArray("close now\n") << QByteArray() << true << 0;
        QTest::newRow("flood without a line end") << true << QByteArray(4096, 'x') << QByteArray() << true << 0;
        QTest::newRow("too many requests") << true << QByteArray("shown?\n").repeated(6)
                                           << QByteArray("yes\n").repeated(4) << true << 0;
    }

    void protocol()
    {
        QFETCH(bool, shown);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(bool, dropped);
        QFETCH(int, closes);
        FakeCopy copy;
        copy.shown = shown;
        copy.onClose = [](FakeCopy&) {}; // stays, so the connection's end shows the server's doing
        QVERIFY(copy.listen(dir(), 4242));
        const QString path = copy.server->SocketPath();
        bool wasDropped = false;
        QByteArray got;
        // The server runs on this thread's event loop: the exchange runs on another thread.
        QVERIFY(runAside([&] { got = exchange(path, request, &wasDropped); }));
        QCOMPARE(got, answer);
        QCOMPARE(wasDropped, dropped);
        QTRY_COMPARE(copy.closeRequests, closes);
        // Whatever the last peer did, the copy still answers the next one.
        if (shown) {
            QVERIFY(runAside([&] { got = exchange(path, "shown?\n", &wasDropped, 300); }));
            QCOMPARE(got, QByteArray("yes\n"));
        }
    }

    void silentPeerIsDropped()
    {
        FakeCopy copy;
        QVERIFY(copy.listen(dir(), 4243));
        QLocalSocket socket;
        socket.connectToServer(copy.server->SocketPath());
        QVERIFY(socket.waitForConnected(2000));
        QSignalSpy gone(&socket, &QLocalSocket::disconnected);
        QVERIFY(gone.wait(8000));
    }

    // The others are asked one after another, each gone before the next is asked; hidden copies and
    // copies of another executable are left alone; this copy is not asked.
    void closesShownCopiesOneAfterAnother()
    {
        QStringList events;
        FakeCopy first, second, hidden, own;
        for (auto [copy, pid] : {std::pair{&first, 100}, {&second, 200}, {&hidden, 300}, {&own, 400}})
            QVERIFY(copy->listen(dir(), pid));
        hidden.shown = false;
        first.onClose = [&](FakeCopy& c) {
            events << (second.server ? u"100 while 200 runs"_s : u"100"_s);
            c.server.reset();
        };
        second.onClose = [&](FakeCopy& c) {
            events << (first.server ? u"200"_s : u"200 after 100"_s);
            c.server.reset();
        };
        TInstanceServer otherProgram;
        int otherCloses = 0;
        QVERIFY(otherProgram.Listen(u"/opt/other/tsumiki"_s, [] { return true; }, [&] { ++otherCloses; }, dir(), 500));

        TQuitAllJob job(FakeExecutable, dir(), 400);
        QSignalSpy finished(&job, &TQuitAllJob::Finished);
        job.Start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(events, (QStringList{u"200"_s, u"100"_s}));
        QCOMPARE(job.Closed(), (QStringList{u"200"_s, u"100"_s}));
        QVERIFY(job.NotClosed().isEmpty());
        QCOMPARE(hidden.closeRequests, 0);
        QCOMPARE(own.closeRequests, 0);
        QCOMPARE(otherCloses, 0);
    }

    void staleSocketIsRemovedAndSkipped()
    {
        const QString stale = instances::SocketPath(dir(), instances::ExecutableKey(FakeExecutable), 999999);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(stale);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd); // bound, never listened on, left behind: what a copy that died leaves
        QVERIFY(QFile::exists(stale));
        FakeCopy alive;
        QVERIFY(alive.listen(dir(), 100));

        TQuitAllJob job(FakeExecutable, dir(), 1);
        QSignalSpy finished(&job, &TQuitAllJob::Finished);
        job.Start();
        QVERIFY(finished.wait(10000));
        QVERIFY(!QFile::exists(stale));
        QCOMPARE(job.Closed(), QStringList{u"100"_s});
    }

    void copyThatDoesNotCloseIsPassedOver()
    {
        FakeCopy stuck, next;
        stuck.onClose = [](FakeCopy&) {}; // says it closes, never goes
        QVERIFY(stuck.listen(dir(), 200));
        QVERIFY(next.listen(dir(), 100));
        TQuitAllJob job(FakeExecutable, dir(), 1);
        job.SetCloseTimeout(300);
        QSignalSpy finished(&job, &TQuitAllJob::Finished);
        job.Start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(job.NotClosed(), QStringList{u"200"_s});
        QCOMPARE(job.Closed(), QStringList{u"100"_s});
    }

    // With no other copy to ask, the command closes this window, as a close request does.
    void commandClosesThisWindowLast()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir()));
        FakeCopy other;
        QVERIFY(other.server->Listen(QCoreApplication::applicationFilePath(), [] { return true; },
                                     [&other] {
                                         ++other.closeRequests;
                                         other.server.reset();
                                     },
                                     dir(), 7));
        MainFormFixture f({});
        TMainForm* form = f.open();
        QVERIFY(form);
        form->Action(u"ActFileQuitAll"_s)->trigger();
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(other.closeRequests, 1);
        qunsetenv("XDG_RUNTIME_DIR");
    }

    // Three real copies: two of one program folder, one of another. Quitting all of the first
    // folder's copies closes both, each writing its settings, and leaves the other running.
    void realCopies()
    {
        QVERIFY2(QFile::exists(testsupport::distDirectory() + u"/tsumiki"_s), "the program has not been built");
        QTemporaryDir folderA, folderB;
        QVERIFY(testsupport::copyProgramFolder(folderA.path()));
        QVERIFY(testsupport::copyProgramFolder(folderB.path()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, dir());
        auto start = [&](const QString& folder) {
            auto* p = new QProcess(this);
            p->setProcessEnvironment(env);
            p->start(folder + u"/tsumiki"_s, {});
            return p;
        };
        QProcess* a1 = start(folderA.path());
        QProcess* a2 = start(folderA.path());
        QProcess* b = start(folderB.path());
        const QString keyA = instances::ExecutableKey(folderA.path() + u"/tsumiki"_s);
        const QString keyB = instances::ExecutableKey(folderB.path() + u"/tsumiki"_s);
        auto sockets = [&](const QString& key) {
            return QDir(dir()).entryList({u"tsumiki-"_s + key + u"-*"_s}, QDir::System).size();
        };
        QTRY_COMPARE_WITH_TIMEOUT(sockets(keyA), 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(sockets(keyB), 1, 20000);

        TQuitAllJob job(folderA.path() + u"/tsumiki"_s, dir(), 1);
        QSignalSpy finished(&job, &TQuitAllJob::Finished);
        job.Start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(job.Closed().size(), 2);
        for (QProcess* p : {a1, a2}) {
            QVERIFY(p->state() == QProcess::NotRunning || p->waitForFinished(5000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        QVERIFY(QFile::exists(folderA.path() + u"/tsumiki.ini"_s));
        QCOMPARE(sockets(keyA), 0);
        QCOMPARE(b->state(), QProcess::Running);
        QVERIFY(!QFile::exists(folderB.path() + u"/tsumiki.ini"_s));
        b->terminate();
        if (!b->waitForFinished(5000))
            b->kill();
        b->waitForFinished();
    }
};

QTEST_MAIN(TestInstances)
#include "tst_instances.moc"
