// The remaining time of a run, on recorded runs: many small files, a few large ones, a mix, a
// change of pace and a stall. What matters to a user: no figure before the pace is known, a figure
// close to the truth half-way, and no jumping back and forth.

#include "engine/RemainingTime.h"

#include <QTest>

#include <cmath>
#include <vector>

namespace {

struct Sample
{
    double seconds;
    qint64 items, bytes;
};

struct Recording
{
    std::vector<Sample> samples; // every 0.1 s
    qint64 items = 0, bytes = 0;
    double duration = 0;
};

// A run copying files of the given sizes, each costing perItem seconds plus perByte per byte; the
// bytes of the file being copied count as they go.
Recording record(const std::vector<qint64>& sizes, double perItem, double perByte, double stallAt = -1,
                 double stallFor = 0)
{
    Recording r;
    r.items = qint64(sizes.size());
    for (qint64 s : sizes)
        r.bytes += s;
    std::vector<double> ends;
    double t = 0;
    for (qint64 s : sizes) {
        t += perItem + perByte * double(s);
        if (stallAt >= 0 && t > stallAt && ends.size() > 0 && ends.back() <= stallAt)
            t += stallFor;
        ends.push_back(t);
    }
    r.duration = t;
    size_t next = 0;
    qint64 bytesDone = 0;
    for (double now = 0; now < t + 0.1; now += 0.1) {
        while (next < ends.size() && ends[next] <= now)
            bytesDone += sizes[next++];
        qint64 partial = 0;
        if (next < ends.size()) {
            const double start = next == 0 ? 0 : ends[next - 1];
            const double share = std::clamp((now - start) / (ends[next] - start), 0.0, 1.0);
            partial = qint64(share * double(sizes[next]));
        }
        r.samples.push_back({now, qint64(next), bytesDone + partial});
    }
    return r;
}

std::vector<qint64> repeat(qint64 size, int count)
{
    return std::vector<qint64>(size_t(count), size);
}

} // namespace

Q_DECLARE_METATYPE(Recording)

class TestRemainingTime : public QObject
{
    Q_OBJECT

private slots:
    void halfway_data()
    {
        QTest::addColumn<Recording>("run");
        QTest::addColumn<double>("tolerance"); // of the true remaining time, half-way
        // 100,000 files of 4 KiB: the cost is in the files.
        QTest::newRow("many small files") << record(repeat(4096, 100000), 0.0003, 1.0 / 400e6) << 0.15;
        // 8 files of 128 MiB at 90 MB/s: the cost is in the bytes.
        QTest::newRow("a few large files") << record(repeat(128 << 20, 8), 0.001, 1.0 / 90e6) << 0.15;
        std::vector<qint64> mixed;
        for (int i = 0; i < 4000; ++i)
            mixed.push_back(i % 100 == 0 ? 64 << 20 : 8192);
        QTest::newRow("a mix") << record(mixed, 0.002, 1.0 / 120e6) << 0.2;
        // Far faster than the prior: 100,000 small files in four seconds; half-way is right when
        // the figure first shows.
        QTest::newRow("a short fast run") << record(repeat(1024, 100000), 0.00004, 1.0 / 1e9) << 0.2;
        // Far slower than the prior in both: a network share.
        QTest::newRow("a slow share") << record(repeat(1 << 20, 300), 0.05, 1.0 / 5e6) << 0.15;
    }

    void halfway()
    {
        QFETCH(Recording, run);
        QFETCH(double, tolerance);
        TRemainingTimeEstimator estimator;
        double atHalf = -2;
        for (const Sample& s : run.samples) {
            estimator.Update(s.seconds, s.items, run.items, s.bytes, run.bytes);
            if (s.seconds < TRemainingTimeEstimator::SettleSeconds)
                QCOMPARE(estimator.Remaining(), -1.0); // no figure before the pace is known
            if (atHalf < -1 && s.seconds >= run.duration / 2)
                atHalf = estimator.Remaining();
        }
        const double truth = run.duration / 2;
        QVERIFY2(std::abs(atHalf - truth) <= tolerance * truth,
                 qPrintable(QStringLiteral("half-way estimate %1 s, truth %2 s").arg(atHalf).arg(truth)));
        QCOMPARE(estimator.Remaining(), 0.0);
    }

    // At a steady pace the figure only counts down, changes at most twice a second, and never by
    // more than the time that passed plus a little.
    void steadyRunCountsDown()
    {
        const Recording run = record(repeat(65536, 20000), 0.0008, 1.0 / 200e6);
        TRemainingTimeEstimator estimator;
        double previous = -1, changedAt = -10;
        int changes = 0;
        for (const Sample& s : run.samples) {
            estimator.Update(s.seconds, s.items, run.items, s.bytes, run.bytes);
            const double now = estimator.Remaining();
            if (now < 0 || now == previous)
                continue;
            if (previous >= 0 && now > 0) { // the end itself shows at once
                QVERIFY2(s.seconds - changedAt >= 0.5 - 1e-9, "changed twice within half a second");
                QVERIFY2(now <= previous + 0.05 * previous, qPrintable(QStringLiteral("%1 -> %2 at %3 s")
                                                                           .arg(previous).arg(now).arg(s.seconds)));
            }
            ++changes;
            changedAt = s.seconds;
            previous = now;
        }
        QVERIFY(changes > 5);
    }

    // From small files to large ones: the figure follows the new pace within a while.
    void changeOfPace()
    {
        std::vector<qint64> sizes = repeat(4096, 20000);
        const std::vector<qint64> large = repeat(256 << 20, 6);
        sizes.insert(sizes.end(), large.begin(), large.end());
        const Recording run = record(sizes, 0.0004, 1.0 / 100e6);
        TRemainingTimeEstimator estimator;
        double atThreeQuarters = -2;
        for (const Sample& s : run.samples) {
            estimator.Update(s.seconds, s.items, run.items, s.bytes, run.bytes);
            if (atThreeQuarters < -1 && s.seconds >= run.duration * 0.75)
                atThreeQuarters = estimator.Remaining();
        }
        const double truth = run.duration * 0.25;
        QVERIFY2(std::abs(atThreeQuarters - truth) <= 0.3 * truth,
                 qPrintable(QStringLiteral("estimate %1 s, truth %2 s").arg(atThreeQuarters).arg(truth)));
    }

    // A stall (a disk that stops answering) lets the figure grow slowly; it never goes below zero
    // and never leaps.
    void stall()
    {
        const Recording run = record(repeat(1 << 20, 400), 0.01, 1.0 / 50e6, 5.0, 10.0);
        TRemainingTimeEstimator estimator;
        double previous = -1;
        for (const Sample& s : run.samples) {
            estimator.Update(s.seconds, s.items, run.items, s.bytes, run.bytes);
            const double now = estimator.Remaining();
            if (now < 0)
                continue;
            if (previous >= 0)
                QVERIFY2(now - previous <= 1.0, qPrintable(QStringLiteral("leap %1 -> %2 at %3 s")
                                                               .arg(previous).arg(now).arg(s.seconds)));
            previous = now;
        }
    }
};

QTEST_GUILESS_MAIN(TestRemainingTime)
#include "tst_remainingtime.moc"
