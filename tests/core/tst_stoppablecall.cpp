// Jobs that may block in the system, run on a helper thread while the caller keeps its stop test.

#include "engine/platform/StoppableCall.h"
#include "engine/platform/Platform.h"

#include "support/DiskImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <memory>
#include <stdexcept>
#include <thread>

#include <sys/statfs.h>
#include <unistd.h>

using namespace platform;

namespace {

Path P(const QString& s)
{
    return Path(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

} // namespace

class TestStoppableCall : public QObject
{
    Q_OBJECT

private slots:
    // The job's result, its last error and its exception all reach the caller.
    void finishedJobReportsBack()
    {
        auto seen = std::make_shared<std::thread::id>();
        QCOMPARE(runStoppable([seen](const Cancellation&) { *seen = std::this_thread::get_id(); },
                              static_cast<const std::atomic<bool>*>(nullptr)),
                 JobOutcome::Finished);
        QVERIFY(*seen != std::this_thread::get_id());

        setLastError(0);
        QCOMPARE(runStoppable([](const Cancellation&) { setLastError(EIO); }, StopTest()), JobOutcome::Finished);
        QCOMPARE(lastError().code, EIO);

        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 runStoppable([](const Cancellation&) { throw std::runtime_error("x"); }, StopTest()));
        // The helper serves the next job after an exception.
        auto ran = std::make_shared<bool>(false);
        runStoppable([ran](const Cancellation&) { *ran = true; }, StopTest());
        QVERIFY(*ran);
    }

    // A job that asks between its steps ends by itself after a stop; one set before the start is seen.
    void stopCancelsAWillingJob()
    {
        std::atomic<bool> stop{false};
        auto started = std::make_shared<std::atomic<bool>>(false);
        auto cancelSeen = std::make_shared<std::atomic<bool>>(false);
        std::thread stopper([&] {
            while (!started->load())
                std::this_thread::yield();
            stop = true;
        });
        const JobOutcome outcome = runStoppable(
            [started, cancelSeen](const Cancellation& cancelled) {
                *started = true;
                while (!cancelled())
                    std::this_thread::yield();
                *cancelSeen = true;
            },
            &stop);
        stopper.join();
        QCOMPARE(outcome, JobOutcome::Finished);
        QVERIFY(cancelSeen->load());

        auto cancelledAtStart = std::make_shared<bool>(false);
        runStoppable([cancelledAtStart](const Cancellation& cancelled) { *cancelledAtStart = cancelled(); }, &stop);
        QVERIFY(*cancelledAtStart);
    }

    // A job held in the system (here a read of a pipe nobody writes) is left behind after a stop,
    // and the caller gets on: the next job runs on a new helper while the old one still waits.
    void stopLeavesABlockedJobBehind()
    {
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        auto returned = std::make_shared<std::atomic<bool>>(false);
        std::atomic<bool> stop{true};
        const JobOutcome outcome = runStoppable(
            [readEnd = fds[0], returned](const Cancellation&) {
                char c;
                (void)::read(readEnd, &c, 1);
                *returned = true;
            },
            &stop);
        QCOMPARE(outcome, JobOutcome::Abandoned);
        QCOMPARE(lastError().code, ECANCELED);
        QVERIFY(!returned->load());

        auto ran = std::make_shared<bool>(false);
        QCOMPARE(runStoppable([ran](const Cancellation&) { *ran = true; }, StopTest()), JobOutcome::Finished);
        QVERIFY(*ran);

        // Once the system lets it go, the abandoned job ends by itself.
        QCOMPARE(::write(fds[1], "x", 1), ssize_t(1));
        QTRY_VERIFY(returned->load());
        ::close(fds[0]);
        ::close(fds[1]);
    }

    // Files of a local disk are read on the calling thread; those of a FUSE or network file system,
    // or of a directory whose file system cannot be asked, on the helper.
    void whichDirectoriesMayNeverAnswer()
    {
        QTemporaryDir local;
        QVERIFY(!mayNeverAnswer(P(local.path()), StopTest()));
        QVERIFY(!mayNeverAnswer(P(local.path()), StopTest())); // remembered, same answer
        QVERIFY(mayNeverAnswer(P(local.path() + QStringLiteral("/missing")), StopTest()));
        QCOMPARE(directoryOf(u"/a/b.txt"), PathView(u"/a"));
        QCOMPARE(directoryOf(u"/b.txt"), PathView(u"/"));
        QCOMPARE(directoryOf(u"b.txt"), PathView(u"."));
        testsupport::DiskImage fat(testsupport::DiskImage::Kind::Fat, 40 << 20);
        if (!fat.isMounted())
            QSKIP(qPrintable(fat.reason()));
        struct statfs fs;
        QCOMPARE(::statfs(QFile::encodeName(fat.path()).constData(), &fs), 0);
        if (fs.f_type != 0x65735546)
            QSKIP("FAT is the kernel's here, not a FUSE driver");
        QVERIFY(mayNeverAnswer(P(fat.path()), StopTest()));
    }
};

QTEST_GUILESS_MAIN(TestStoppableCall)
#include "tst_stoppablecall.moc"
