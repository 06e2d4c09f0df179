// Comparing a source's time with its copy's at what the destination keeps.

#include "engine/TimeAtResolution.h"
#include "engine/platform/Platform.h"

#include <QTest>

namespace {

constexpr qint64 kNoLimit = 0;
// 2020-06-01 12:00:00.000 local, in the scan's milliseconds
constexpr qint64 kT = 43983LL * 86'400'000 + 12LL * 3'600'000;

TDestinationTimeRule Rule(qint64 resolutionMs, qint64 earliest = kNoLimit, qint64 latest = kNoLimit)
{
    TDestinationTimeRule rule;
    rule.resolutionMs = resolutionMs;
    if (earliest != kNoLimit)
        rule.earliestMs = earliest;
    if (latest != kNoLimit)
        rule.latestMs = latest;
    return rule;
}

} // namespace

Q_DECLARE_METATYPE(TDestinationTimeRule)

class TestTimeAtResolution : public QObject
{
    Q_OBJECT

private slots:
    void compare_data()
    {
        QTest::addColumn<qint64>("source");
        QTest::addColumn<qint64>("copy");
        QTest::addColumn<TDestinationTimeRule>("rule");
        QTest::addColumn<int>("expected"); // -1 copy older, 0 same, 1 copy newer

        // A destination that keeps every millisecond compares exactly.
        QTest::newRow("exact: same") << kT + 123 << kT + 123 << Rule(0) << 0;
        QTest::newRow("exact: 1 ms older") << kT + 123 << kT + 122 << Rule(0) << -1;
        QTest::newRow("exact: 1 ms newer") << kT + 123 << kT + 124 << Rule(1) << 1;
        // Whole seconds: the fraction is cut off.
        QTest::newRow("seconds: fraction cut") << kT + 999 << kT << Rule(1000) << 0;
        QTest::newRow("seconds: a second later is a change") << kT + 1000 << kT << Rule(1000) << -1;
        QTest::newRow("seconds: source edited since") << kT + 60'000 << kT << Rule(1000) << -1;
        QTest::newRow("seconds: copy newer") << kT << kT + 1000 << Rule(1000) << 1;
        // FAT: two seconds, cut down or rounded up by the driver.
        QTest::newRow("FAT: odd second with fraction cut") << kT + 1987 << kT << Rule(2000) << 0;
        QTest::newRow("FAT: rounded up") << kT + 1 << kT + 2000 << Rule(2000) << 0;
        QTest::newRow("FAT: two seconds apart") << kT + 2000 << kT << Rule(2000) << -1;
        QTest::newRow("exFAT: hundredths") << kT + 19 << kT + 10 << Rule(10) << 0;
        // A time the destination cannot hold comes back as the nearer end of its range.
        QTest::newRow("before 1980 on FAT") << kT - 2'000'000'000'000LL << kT - 1'000'000'000'000LL
                                            << Rule(2000, kT - 1'000'000'000'000LL) << 0;
        QTest::newRow("past 2038, cut to a second") << kT + 600'000'000'999LL << kT + 500'000'000'000LL
                                                    << Rule(1000, kNoLimit, kT + 500'000'000'000LL) << 0;
        QTest::newRow("source moved into the range") << kT << kT + 500'000'000'000LL
                                                     << Rule(1000, kNoLimit, kT + 500'000'000'000LL) << 1;
        QTest::newRow("copy not at the end is outdated") << kT + 600'000'000'000LL << kT
                                                         << Rule(1000, kNoLimit, kT + 500'000'000'000LL) << -1;
    }

    void compare()
    {
        QFETCH(qint64, source);
        QFETCH(qint64, copy);
        QFETCH(TDestinationTimeRule, rule);
        QTEST(CompareCopyTime(source, copy, rule), "expected");
    }

    // The scan's date-times, before and after 1899-12-30, come back as the milliseconds they hold.
    void dateTimeToMilliseconds_data()
    {
        QTest::addColumn<double>("dateTime");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("the day itself") << 0.0 << qint64(0);
        QTest::newRow("noon") << 0.5 << qint64(43'200'000);
        QTest::newRow("the day before, 06:00") << -1.25 << qint64(-86'400'000 + 21'600'000);
        QTest::newRow("2020-06-01 12:00:00.123") << 43983.0 + (43'200'123.0 / 86'400'000.0) << kT + 123;
    }

    void dateTimeToMilliseconds()
    {
        QFETCH(double, dateTime);
        QTEST(DateTimeToMilliseconds(dateTime), "ms");
    }

    // The scan's own conversion, millisecond by millisecond, is undone exactly.
    void roundTripsTheScansTimes()
    {
        for (const qint64 seconds : {qint64(-2'208'988'800 - 86'400 * 3), qint64(0), qint64(1'600'000'001),
                                     qint64(2'147'483'647)}) {
            for (const int32_t ns : {0, 1'000'000, 999'000'000, 123'456'789}) {
                const double dt = platform::toLocalDateTime({seconds, ns});
                const double back = double(DateTimeToMilliseconds(dt) - DateTimeToMilliseconds(platform::toLocalDateTime({seconds, 0})));
                QCOMPARE(back, double(ns / 1'000'000));
            }
        }
    }

    void resolutionShownByTimes_data()
    {
        QTest::addColumn<QList<qint64>>("times");
        QTest::addColumn<qint64>("step");
        QTest::newRow("no copies") << QList<qint64>() << qint64(0);
        QTest::newRow("a fraction anywhere") << QList<qint64>{kT, kT + 1000, kT + 1} << qint64(0);
        QTest::newRow("whole seconds") << QList<qint64>{kT, kT + 1000, kT + 4000} << qint64(1000);
        QTest::newRow("even seconds") << QList<qint64>{kT, kT + 2000, -4000} << qint64(2000);
        QTest::newRow("odd second before 1899") << QList<qint64>{kT, -3000} << qint64(1000);
    }

    void resolutionShownByTimes()
    {
        QFETCH(QList<qint64>, times);
        QTEST(ResolutionShownByTimes(times), "step");
    }
};

QTEST_GUILESS_MAIN(TestTimeAtResolution)
#include "tst_timeatresolution.moc"
